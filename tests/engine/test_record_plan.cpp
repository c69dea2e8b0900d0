// SPDX-License-Identifier: MIT
#include "engine/RecordPlan.h"

#include "tests/engine/RecordDefinitions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr std::uint32_t TestSeed = 0x2468ACE1u;

/// The records of a plan from WriteRecords, with the marks it set.
struct TPlanRecords {
    std::string Bytes;
    std::uint64_t Count = 0;
    std::optional<std::string> Error;
    std::uint32_t SeedAfter = 0;
    std::vector<std::size_t> Marks;
};

TPlanRecords WriteRecords(const TVxRecordPlan& plan, std::uint32_t seed, std::uint64_t count,
                          std::uint64_t markEvery = 0, std::uint64_t firstRecord = 0) {
    TPlanRecords result;
    std::vector<char> buffer(count * plan.MaxRecordBytes() + TVxRecordPlan::WriteSlack);
    std::uint32_t state = seed;
    const TVxRecordPlan::TWritten written =
        plan.WriteRecords(buffer.data(), count, state, markEvery, result.Marks, firstRecord);
    result.Bytes.assign(buffer.data(), written.Bytes);
    result.Count = written.Records;
    result.SeedAfter = state;
    if (written.Error) {
        try {
            std::rethrow_exception(written.Error);
        } catch (const Exception& error) {
            result.Error = error.what();
        }
    }
    return result;
}

class RecordPlanTest : public testing::TestWithParam<TRecordDefinition> {
protected:
    void SetUp() override {
        SystemDateFormat = GetParam().DateFormat;
        FParser.Parse(GetParam().Command);
    }
    void TearDown() override { TVxRecordPlan::ForcePortable(false); }

    TDateFormatGuard FGuard;
    TVxRndParser FParser;
};

TEST_P(RecordPlanTest, WritesTheRecordsOfGetRecord) {
    for (const bool toFile : {true, false}) {
        for (const bool portable : {true, false}) {
            if (!portable && !TVxRecordPlan::VectorPathAvailable()) {
                continue;
            }
            TVxRecordPlan::ForcePortable(portable);
            const TVxRecordPlan plan(FParser, toFile);
            if (!plan.Compact()) {
                continue;
            }
            const TRecords expected = GetRecords(FParser, toFile, TestSeed, 0, 150);
            const TPlanRecords actual = WriteRecords(plan, TestSeed, 150);
            SCOPED_TRACE(testing::Message() << "toFile " << toFile << ", portable " << portable);
            EXPECT_EQ(actual.Count, expected.Count);
            EXPECT_EQ(actual.Error, expected.Error);
            EXPECT_EQ(actual.SeedAfter, expected.SeedAfter);
            ASSERT_EQ(actual.Bytes.size(), expected.Bytes.size());
            EXPECT_TRUE(actual.Bytes == expected.Bytes);
        }
    }
}

TEST_P(RecordPlanTest, VectorAndPortableWritersAgree) {
    if (!TVxRecordPlan::VectorPathAvailable()) {
        GTEST_SKIP() << "no vector writer on this processor";
    }
    const TVxRecordPlan plan(FParser, true);
    if (!plan.Compact()) {
        GTEST_SKIP() << "records written in parts only";
    }
    // Counts that end inside a group of lanes and at every remainder of eight.
    for (const std::uint64_t count : {1u, 2u, 7u, 8u, 9u, 333u, 2049u}) {
        TVxRecordPlan::ForcePortable(true);
        const TPlanRecords portable = WriteRecords(plan, TestSeed + 1, count);
        TVxRecordPlan::ForcePortable(false);
        const TPlanRecords vector = WriteRecords(plan, TestSeed + 1, count);
        EXPECT_TRUE(portable.Bytes == vector.Bytes) << count << " records";
        EXPECT_EQ(portable.SeedAfter, vector.SeedAfter);
    }
}

TEST_P(RecordPlanTest, MarksEndEveryNthRecord) {
    const TVxRecordPlan plan(FParser, true);
    if (!plan.Compact()) {
        GTEST_SKIP() << "records written in parts only";
    }
    const TPlanRecords actual = WriteRecords(plan, TestSeed, 40, 7);
    std::vector<std::size_t> expected;
    std::string line;
    std::size_t end = 0;
    Seed = TestSeed;
    for (std::uint64_t i = 1; i <= actual.Count; ++i) {
        FParser.GetRecord(true, line);
        end += line.size();
        if (i % 7 == 0) {
            expected.push_back(end);
        }
    }
    EXPECT_EQ(actual.Marks, expected);
}

TEST_P(RecordPlanTest, WritesInPartsThroughAnyRoom) {
    const TVxRecordPlan plan(FParser, true);
    if (plan.MaxRecordBytes() > 100000) {
        GTEST_SKIP() << "too large to compare whole";
    }
    const TRecords expected = GetRecords(FParser, true, TestSeed, 0, 12);
    for (const std::size_t room : {1u, 3u, 13u, 4096u}) {
        std::string bytes;
        std::vector<char> buffer(room);
        TVxRecordPlan::TCursor cursor;
        std::uint32_t state = TestSeed;
        std::optional<std::string> error;
        for (std::uint64_t records = 0; records < expected.Count + (expected.Error ? 1 : 0);) {
            char* out = buffer.data();
            bool complete = false;
            try {
                complete = plan.WritePart(cursor, out, buffer.data() + room, state);
            } catch (const Exception& e) {
                error = e.what();
                break;
            }
            bytes.append(buffer.data(), out);
            records += complete ? 1 : 0;
        }
        EXPECT_TRUE(bytes.starts_with(expected.Bytes)) << "room " << room;
        EXPECT_EQ(error, expected.Error) << "room " << room;
        if (!error) {
            EXPECT_EQ(bytes.size(), expected.Bytes.size()) << "room " << room;
            EXPECT_EQ(state, expected.SeedAfter) << "room " << room;
        }
    }
}

TEST_P(RecordPlanTest, DrawsAndWidthDescribeTheRecords) {
    const TVxRecordPlan plan(FParser, true);
    EXPECT_EQ(plan.Draws(), DrawsPerRecord(FParser));
    const TRecords records = GetRecords(FParser, true, TestSeed, 0, 50);
    std::string line;
    Seed = TestSeed;
    for (std::uint64_t i = 0; i < records.Count; ++i) {
        FParser.GetRecord(true, line);
        EXPECT_LE(line.size(), plan.MaxRecordBytes());
        if (plan.FixedWidth()) {
            EXPECT_EQ(line.size(), plan.MaxRecordBytes());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Definitions, RecordPlanTest, testing::ValuesIn(RecordDefinitions()),
                         [](const testing::TestParamInfo<TRecordDefinition>& info) {
                             return std::string(info.param.Name);
                         });

TEST(RecordPlanValuesTest, WritesFromAnyRecordOfTheRun) {
    // Values made ahead a batch at a time: stretches that start and end inside batches,
    // late in a run, and counters next to the largest value they are made ahead for.
    struct TCase {
        const char* Definition;
        std::uint64_t First;
        std::uint64_t Count;
    };
    const std::string words = "/W=0," + WordFilePath();
    const std::string values = "/I=8 /F=1,; /M=0,0.00..9999.99 /F=1,; /V=0,a*3|bb|ccc " + words;
    const std::vector<TCase> cases = {
        {values.c_str(), 1, 1},
        {values.c_str(), 127, 9},
        {values.c_str(), 12345, 300},
        {"/I=0 /F=1,; /M=0,0,0..99,9 /E=U", 99999591, 300},
        {"/I=0 /F=1,; /M=0,0,0..99,9 /E=U", 99999696, 300},
        {"/I=0 /F=1,; /M=0,0,0..99,9 /E=U", 99999900, 300},
        {"/I=0,99999990 /V=0,x /E=U", 0, 20},
        {"/I=5,0 /E=N", 99990, 9},
    };
    for (const TCase& c : cases) {
        TVxRndParser parser;
        parser.Parse(c.Definition);
        const TRecords expected = GetRecords(parser, true, TestSeed, 0, c.Count, c.First);
        for (const bool portable : {true, false}) {
            TVxRecordPlan::ForcePortable(portable);
            const TVxRecordPlan plan(parser, true);
            const TPlanRecords actual = WriteRecords(plan, TestSeed, c.Count, 0, c.First);
            TVxRecordPlan::ForcePortable(false);
            SCOPED_TRACE(testing::Message()
                         << c.Definition << " from " << c.First << ", portable " << portable);
            EXPECT_EQ(actual.Count, expected.Count);
            EXPECT_EQ(actual.SeedAfter, expected.SeedAfter);
            EXPECT_TRUE(actual.Bytes == expected.Bytes);
        }
    }
}

TEST(RecordPlanFormatTest, DateFormatIsReadWhenThePlanIsBuilt) {
    const TDateFormatGuard guard;
    SystemDateFormat = "yyyy-mm-dd";
    TVxRndParser parser;
    parser.Parse("/Y=2000,2010 /E=U");
    const TVxRecordPlan plan(parser, true);
    const TRecords expected = GetRecords(parser, true, TestSeed, 0, 5);
    SystemDateFormat = "d/m/yy";
    EXPECT_EQ(WriteRecords(plan, TestSeed, 5).Bytes, expected.Bytes);
}

TEST(RecordPlanFormatTest, HugeFieldsAreNotCompact) {
    TVxRndParser parser;
    parser.Parse("/F=2147483647," + std::string(1000, 'x') + " /N=2000000000 /E=U");
    const TVxRecordPlan plan(parser, true);
    EXPECT_FALSE(plan.Compact());
    EXPECT_EQ(plan.MaxRecordBytes(), 2147483647000ull + 2000000000ull + 1);
    EXPECT_EQ(plan.Draws(), 2000000000u);
}

} // namespace

namespace {

TEST(RecordPlanFailureTest, FindsTheFirstRecordWhoseDateFails) {
    const TDateFormatGuard guard;
    SystemDateFormat = "yyyy-mm-dd";
    for (const char* definition : {"/N=1 /Y=9990,10000", "/Y=2000 /Y=-3,20 /E=U", "/Y=1,9999"}) {
        TVxRndParser parser;
        parser.Parse(definition);
        const TVxRecordPlan plan(parser, true);
        const TRecords expected = GetRecords(parser, true, TestSeed, 0, 20000);
        EXPECT_EQ(plan.FirstFailure(TestSeed, 20000), expected.Count) << definition;
    }
}

TEST(RecordPlanFailureTest, YearsThatWrapIntoTheCalendarNeverFail) {
    TVxRndParser parser;
    // The low 16 bits of 65537 to 65600 are the years 1 to 64.
    parser.Parse("/Y=65537,65600");
    const TVxRecordPlan plan(parser, true);
    const std::uint64_t many = std::uint64_t{1} << 62;
    EXPECT_EQ(plan.FirstFailure(TestSeed, many), many);
}

} // namespace

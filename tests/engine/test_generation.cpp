// SPDX-License-Identifier: MIT
#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "engine/RandomSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>

using namespace std::string_literals;

namespace {

std::uint32_t SeedAfter(std::uint32_t seed, int draws) {
    for (int i = 0; i < draws; ++i) {
        seed = seed * 134775813u + 1u;
    }
    return seed;
}

/// Keeps the process-wide date format and settings of one test from leaking into the next.
class GenerationTest : public testing::Test {
protected:
    void SetUp() override {
        FSavedFormat = SystemDateFormat;
        FSavedSettings = FormatSettings();
        SystemDateFormat = "yyyy-mm-dd";
    }
    void TearDown() override {
        SystemDateFormat = FSavedFormat;
        FormatSettings() = FSavedSettings;
    }

    std::string Record(const std::string& definition, bool toFile = false) {
        FParser.Parse(definition);
        std::string line;
        FParser.GetRecord(toFile, line);
        return line;
    }

    TVxRndParser FParser;

private:
    std::string FSavedFormat;
    TFormatSettings FSavedSettings;
};

TEST_F(GenerationTest, ReferenceRecord) {
    Seed = 0;
    EXPECT_EQ(Record("/N=3 /C=2 /Y=2000,2009"), "008FH2006-04-05");
    EXPECT_EQ(Seed, SeedAfter(0, 8));
}

TEST_F(GenerationTest, LineEndOnlyForFiles) {
    const std::array<std::pair<const char*, const char*>, 3> ends{
        {{"W", "008\r\n"}, {"U", "008\n"}, {"N", "008"}}};
    for (const auto& [style, text] : ends) {
        Seed = 0;
        EXPECT_EQ(Record("/N=3 /E="s + style, true), text) << style;
        Seed = 0;
        EXPECT_EQ(Record("/N=3 /E="s + style, false), "008") << style;
    }
    EXPECT_EQ(Record("/T=0", true), "\r\n");
}

struct DrawCase {
    std::string Definition;
    std::string Text;
    int Draws;
};

void PrintTo(const DrawCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.Definition);
}

class DrawCountTest : public GenerationTest, public testing::WithParamInterface<DrawCase> {};

TEST_P(DrawCountTest, FromSeedZero) {
    Seed = 0;
    EXPECT_EQ(Record(GetParam().Definition), GetParam().Text);
    EXPECT_EQ(Seed, SeedAfter(0, GetParam().Draws));
}

INSTANTIATE_TEST_SUITE_P(
    Definitions, DrawCountTest,
    testing::Values(DrawCase{"/N=3", "008", 3}, DrawCase{"/N=0", "", 0}, DrawCase{"/N=-1", "", 0},
                    DrawCase{"/F=3,ab", "ababab", 0}, DrawCase{"/F=0,ab", "", 0},
                    DrawCase{"/B=2 /T=1", "  \t", 0}, DrawCase{"/U=2,x", "xx", 2},
                    DrawCase{"/U=4,", "\0\0\0\0"s, 0},
                    DrawCase{"/X=6", "\x00\x08\xDC\x33\x45\xAB"s, 6},
                    DrawCase{"/P=2", "\x00\x01"s, 2}, DrawCase{"/H=3", "00D", 3},
                    DrawCase{"/S=3 /L=1", "aawK", 4}, DrawCase{"/A=1", "A", 1},
                    DrawCase{"/Y=2000,2000", "2000-01-27", 3},
                    DrawCase{"/F=2,#9#10 /N=1", "\t\n\t\n0", 1}));

TEST_F(GenerationTest, RepeatedCharsetLettersGetExtraWeight) {
    Seed = 3;
    const std::string line = Record("/D=aa /A=54000");
    const auto count = [&](char c) { return std::count(line.begin(), line.end(), c); };
    // 'a' has three chances in 54, every other letter one.
    EXPECT_NEAR(static_cast<double>(count('a')), 3000.0, 300.0);
    EXPECT_NEAR(static_cast<double>(count('b')), 1000.0, 200.0);
}

TEST_F(GenerationTest, RecordsDependOnlyOnTheSeed) {
    const std::string definition = "/N=5 /H=3 /C=2 /S=2 /L=4 /A=3 /P=2 /X=4 /U=5,abc /Y=1,9999";
    Seed = 424242;
    const std::string first = Record(definition);
    Seed = 424242;
    EXPECT_EQ(Record(definition), first);
    EXPECT_NE(Record(definition), first);
}

TEST_F(GenerationTest, ReversedYearRangeIsTakenInOrder) {
    Seed = 0;
    EXPECT_EQ(Record("/N=3 /C=2 /Y=2009,2000"), "008FH2006-04-05");
    EXPECT_EQ(Seed, SeedAfter(0, 8));
    FParser.Parse("/Y=1999,1990");
    std::set<std::string> years;
    std::string line;
    for (int i = 0; i < 2000; ++i) {
        FParser.GetRecord(false, line);
        years.insert(line.substr(0, 4));
    }
    EXPECT_EQ(years.size(), 10u);
    EXPECT_EQ(*years.begin(), "1990");
    EXPECT_EQ(*years.rbegin(), "1999");
}

TEST_F(GenerationTest, LeapDaysFollowTheYear) {
    std::string line;
    bool leapDay = false;
    FParser.Parse("/Y=2000,2000");
    Seed = 11;
    for (int i = 0; i < 5000; ++i) {
        FParser.GetRecord(false, line);
        ASSERT_EQ(line.substr(0, 5), "2000-");
        leapDay = leapDay || line == "2000-02-29";
    }
    EXPECT_TRUE(leapDay);
    FParser.Parse("/Y=1900,1900");
    for (int i = 0; i < 5000; ++i) {
        FParser.GetRecord(false, line);
        ASSERT_NE(line, "1900-02-29");
    }
}

TEST_F(GenerationTest, YearBeyondTheCalendarFailsAfterItsThreeDraws) {
    FParser.Parse("/Y=9999,10000");
    Seed = 5;
    std::string line;
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t before = Seed;
        try {
            FParser.GetRecord(false, line);
            ASSERT_EQ(line.substr(0, 4), "9999");
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "Invalid argument to date encode");
            EXPECT_EQ(Seed, SeedAfter(before, 3));
            return;
        }
    }
    ADD_FAILURE() << "the year 10000 was never drawn";
}

TEST_F(GenerationTest, YearIsTakenAsSixteenBits) {
    Seed = 0;
    EXPECT_EQ(Record("/Y=67536"), "2000-01-27");
    EXPECT_THROW(Record("/Y=-5"), EConvertError);
    EXPECT_THROW(Record("/Y=65536"), EConvertError);
    // The widest ranges must neither overflow nor give up: the year is still drawn.
    for (const char* definition : {"/Y=-2147483648,2147483647", "/Y=2147483647,-2147483648",
                                   "/Y=-2147483648", "/Y=1,2147483647"}) {
        for (int i = 0; i < 50; ++i) {
            const std::uint32_t before = Seed;
            try {
                Record(definition);
            } catch (const EConvertError&) {
            }
            ASSERT_EQ(Seed, SeedAfter(before, 3)) << definition;
        }
    }
}

TEST_F(GenerationTest, DatesUseTheDateFormatAndSeparator) {
    FormatSettings().DateSeparator = '-';
    SystemDateFormat = "d/m/yy";
    Seed = 0;
    EXPECT_EQ(Record("/N=3 /C=2 /Y=2000,2009"), "008FH5-4-06");
    Record("/Z=dd.mm.yyyy /N");
    Seed = 0;
    EXPECT_EQ(Record("/N=3 /C=2 /Y=2000,2009"), "008FH05.04.2006");
    SystemDateFormat = "";
    Seed = 0;
    EXPECT_EQ(Record("/N=1 /Y=2006 /N=1"), "02");
}

TEST_F(GenerationTest, GetRecordReusesTheCallersString) {
    FParser.Parse("/N=5 /F=1,#59 /E=U");
    std::string line = "left over from before";
    FParser.GetRecord(true, line);
    ASSERT_EQ(line.size(), 7u);
    const char* buffer = line.data();
    for (int i = 0; i < 100; ++i) {
        FParser.GetRecord(true, line);
        ASSERT_EQ(line.size(), 7u);
        ASSERT_EQ(line[5], ';');
        ASSERT_EQ(line[6], '\n');
    }
    EXPECT_EQ(line.data(), buffer);
}

TEST_F(GenerationTest, LongFixedStringsAreWrittenWhole) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text.push_back(static_cast<char>(i * 7 % 256));
    }
    EXPECT_EQ(Record("/F=2," + EncodeCodes(text)), text + text);
}

TEST_F(GenerationTest, FieldCharAndDatePieces) {
    FParser.Parse("/N");
    std::string text = "junk";
    Seed = 0;
    FParser.GetField(TFieldDef{3, ttNumeric, ""}, text);
    EXPECT_EQ(text, "008");
    FParser.GetChar(TFieldDef{3, ttFixed, "ab"}, text);
    EXPECT_EQ(text, "ab");
    Seed = 0;
    FParser.GetChar(TFieldDef{3, ttNumeric, ""}, text);
    EXPECT_EQ(text, "0");
    EXPECT_EQ(Seed, SeedAfter(0, 1));
    FParser.GetChar(TFieldDef{5, ttTab, ""}, text);
    EXPECT_EQ(text, "\t");
    Seed = 0;
    const std::string date = Record("/Y=2000,2009");
    Seed = 0;
    FParser.RandomDate(2000, 2009, text);
    EXPECT_EQ(text, date);
    EXPECT_EQ(Seed, SeedAfter(0, 3));
    Seed = 0;
    FParser.GetField(TFieldDef{2000, ttDate, "2009"}, text);
    EXPECT_EQ(text, date);
    Seed = 0;
    FParser.GetChar(TFieldDef{2000, ttDate, "2009"}, text);
    EXPECT_EQ(text, date);
}

TEST_F(GenerationTest, RandomCharOfAnEmptyPoolDrawsNothing) {
    Seed = 99;
    EXPECT_EQ(FParser.RandomChar(""), '\0');
    EXPECT_EQ(Seed, 99u);
    EXPECT_EQ(FParser.RandomChar("x"), 'x');
    EXPECT_EQ(Seed, SeedAfter(99, 1));
}

TEST_F(GenerationTest, LongFieldsDrawInTheOrderOfSingleDraws) {
    // Long fields are drawn several characters at a time; the result must be the one of
    // drawing the characters one by one.
    FParser.Parse("/D=\xE4 /N");
    const std::array<std::pair<char, std::string>, 9> pools{{
        {'N', "0123456789"},
        {'H', "0123456789ABCDEF"},
        {'C', FParser.Capitals()},
        {'S', FParser.Smalls()},
        {'L', FParser.Letters()},
        {'A', FParser.Letters() + "\xE4"},
        {'P', FParser.BinLow()},
        {'X', FParser.Binary()},
        {'U', "xyz"},
    }};
    for (const auto& [letter, pool] : pools) {
        for (const int count : {1, 3, 4, 5, 8, 11, 1000}) {
            const std::uint32_t seed = 0x9E3779B9u * static_cast<std::uint32_t>(count);
            Seed = seed;
            std::string expected;
            for (int i = 0; i < count; ++i) {
                expected.push_back(
                    pool[static_cast<std::size_t>(RandomBelow(static_cast<int>(pool.size())))]);
            }
            const std::uint32_t seedAfter = Seed;
            std::string definition = "/D=\xE4 /" + std::string(1, letter) + "=";
            definition += std::to_string(count) + (letter == 'U' ? ",xyz" : "");
            Seed = seed;
            EXPECT_EQ(Record(definition), expected) << definition;
            EXPECT_EQ(Seed, seedAfter) << definition;
        }
    }
}

TEST_F(GenerationTest, AppendRecordGathersRecords) {
    for (const std::string definition : {"/N=5 /F=1,#59 /E=W", "/C=2 /Y=1990,2000 /E=U"}) {
        FParser.Parse(definition);
        Seed = 21;
        std::string first;
        std::string second;
        FParser.GetRecord(true, first);
        FParser.GetRecord(true, second);
        Seed = 21;
        std::string buffer = "head:";
        FParser.AppendRecord(true, buffer);
        FParser.AppendRecord(true, buffer);
        EXPECT_EQ(buffer, "head:" + first + second) << definition;
    }
}

// A record or field beyond what one string should hold is refused with a message naming
// it, before anything is allocated or drawn.
TEST_F(GenerationTest, RecordTooLargeToHoldIsRefusedWithAMessage) {
    const struct {
        std::string Definition;
        const char* Message;
    } cases[] = {
        {"/F=2147483647," + std::string(1000, 'x'),
         "Field 1 is too large to hold in memory (2147483647000 bytes)."},
        {"/N=5 /N=2000000000", "Field 2 is too large to hold in memory (2000000000 bytes)."},
        {"/N=600000000 /Y=2000 /N=600000000",
         "The record is too large to hold in memory (1200000000 bytes)."},
    };
    for (const auto& c : cases) {
        FParser.Parse(c.Definition);
        Seed = 5;
        std::string line = "kept";
        try {
            FParser.AppendRecord(true, line);
            ADD_FAILURE() << c.Definition;
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), c.Message);
        }
        EXPECT_EQ(line.substr(0, 4), "kept");
    }
    FParser.Parse("/N=2000000000");
    std::string text;
    try {
        FParser.GetField(FParser.Fields()[0], text);
        ADD_FAILURE() << "GetField";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Field 1 is too large to hold in memory (2000000000 bytes).");
    }
    EXPECT_EQ(Seed, 5u);
}

} // namespace

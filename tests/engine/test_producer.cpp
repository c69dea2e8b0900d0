// SPDX-License-Identifier: MIT
#include "engine/Producer.h"

#include "engine/RecordPlan.h"
#include "tests/engine/RecordDefinitions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>
#include <thread>
#include <tuple>

namespace {

constexpr std::uint32_t TestSeed = 987654321u;

/// What a run handed over, with the properties every piece must have checked on the way.
struct TRun {
    std::string Bytes;
    std::uint64_t Records = 0;
    std::uint64_t Returned = 0;
    std::uint64_t Pieces = 0;
    std::optional<std::string> Error;
    std::uint32_t SeedAfter = 0;
};

TRun Produce(TVxProducer& producer, std::uint32_t seed, std::uint64_t first, std::uint64_t count,
             std::uint64_t recordsPerPiece) {
    TRun run;
    bool lastEndedOffMultiple = false;
    const auto sink = [&](const TVxPiece& piece) {
        // Only the last piece of a run may end off a multiple of the records per piece.
        EXPECT_FALSE(lastEndedOffMultiple) << "piece " << run.Pieces;
        EXPECT_EQ(piece.WholeSize, piece.Size);
        EXPECT_GT(piece.Records, 0u);
        if (recordsPerPiece != 0) {
            EXPECT_LE(piece.Records, recordsPerPiece);
        }
        run.Bytes.append(piece.Data, piece.Size);
        run.Records += piece.Records;
        lastEndedOffMultiple = recordsPerPiece != 0 && run.Records % recordsPerPiece != 0;
        ++run.Pieces;
        return true;
    };
    producer.SetRecordsPerPiece(recordsPerPiece);
    Seed = 0;
    try {
        run.Returned = producer.Run(seed, first, count, sink);
    } catch (const Exception& error) {
        run.Error = error.what();
    }
    run.SeedAfter = Seed;
    return run;
}

class ProducerTest : public testing::TestWithParam<TRecordDefinition> {
protected:
    void SetUp() override {
        SystemDateFormat = GetParam().DateFormat;
        FParser.Parse(GetParam().Command);
    }

    TDateFormatGuard FGuard;
    TVxRndParser FParser;
};

// Small buffers make a run of a hundred records span many chunks, so that threads, pieces
// and a failure in a later chunk all come into play.
TEST_P(ProducerTest, GivesTheRecordsOfGetRecordForEveryThreadCountAndStretch) {
    const TVxRecordPlan plan(FParser, true);
    if (plan.MaxRecordBytes() > 100000) {
        GTEST_SKIP() << "too large to compare whole";
    }
    for (const auto& [first, count] :
         {std::pair<std::uint64_t, std::uint64_t>{0, 0}, {0, 1}, {0, 130}, {17, 60}}) {
        const TRecords expected = GetRecords(FParser, true, TestSeed, first, count);
        for (const unsigned threads : {1u, 2u, 3u}) {
            for (const std::uint64_t perPiece : {0u, 1u, 7u}) {
                for (const std::size_t bufferBytes : {std::size_t{1} << 20, std::size_t{300}}) {
                    TVxProducer producer(FParser, true);
                    producer.SetThreads(threads);
                    producer.SetBufferBytes(bufferBytes);
                    const TRun run = Produce(producer, TestSeed, first, count, perPiece);
                    SCOPED_TRACE(testing::Message() << "first " << first << ", count " << count
                                                    << ", threads " << threads << ", per piece "
                                                    << perPiece << ", buffer " << bufferBytes);
                    EXPECT_EQ(run.Error, expected.Error);
                    EXPECT_EQ(run.Records, expected.Count);
                    EXPECT_EQ(run.SeedAfter, expected.SeedAfter);
                    if (!run.Error) {
                        EXPECT_EQ(run.Returned, expected.Count);
                    }
                    ASSERT_EQ(run.Bytes.size(), expected.Bytes.size());
                    EXPECT_TRUE(run.Bytes == expected.Bytes);
                }
            }
        }
    }
}

TEST_P(ProducerTest, JumpsOverTheRecordsBeforeFirst) {
    const std::uint64_t first = 123456789012345ull;
    const TRecords early = GetRecords(FParser, false, TestSeed, 0, 200);
    if (early.Error) {
        // The whole run stops early, so a stretch far on fails at once and hands over nothing.
        TVxProducer producer(FParser, false);
        producer.SetThreads(2);
        const TRun run = Produce(producer, TestSeed, first, 5, 0);
        EXPECT_EQ(run.Error, early.Error);
        EXPECT_TRUE(run.Bytes.empty());
        return;
    }
    std::optional<std::string> refused;
    try {
        FParser.Prepare(first + 5);
    } catch (const Exception& e) {
        refused = e.what();
    }
    if (refused) {
        // A counter that has outgrown its width that far on is refused before any record.
        TVxProducer producer(FParser, false);
        const TRun run = Produce(producer, TestSeed, first, 5, 0);
        EXPECT_EQ(run.Error, refused);
        EXPECT_TRUE(run.Bytes.empty());
        return;
    }
    const TRecords expected = GetRecords(
        FParser, false, JumpAhead(TestSeed, first * DrawsPerRecord(FParser)), 0, 5, first);
    TVxProducer producer(FParser, false);
    producer.SetThreads(2);
    const TRun run = Produce(producer, TestSeed, first, 5, 0);
    EXPECT_EQ(run.Error, expected.Error);
    EXPECT_TRUE(run.Bytes == expected.Bytes);
    EXPECT_EQ(run.SeedAfter, expected.SeedAfter);
}

INSTANTIATE_TEST_SUITE_P(Definitions, ProducerTest, testing::ValuesIn(RecordDefinitions()),
                         [](const testing::TestParamInfo<TRecordDefinition>& info) {
                             return std::string(info.param.Name);
                         });

class ProducerRunTest : public testing::Test {
protected:
    TDateFormatGuard FGuard;
    TVxRndParser FParser;
};

// A year beyond 9999 turns up now and then; the records before it, and nothing of it, are
// handed over, whichever thread made them and wherever the run starts.
TEST_F(ProducerRunTest, DateThatCannotBeEncodedEndsTheRunAfterTheGoodRecords) {
    SystemDateFormat = "yyyy-mm-dd";
    FParser.Parse("/N=2 /Y=9950,10000 /E=U");
    for (const std::uint64_t first : {0u, 3u, 40u}) {
        const TRecords expected = GetRecords(FParser, true, TestSeed, first, 5000);
        ASSERT_TRUE(expected.Error.has_value());
        ASSERT_GT(expected.Count, 10u);
        for (const unsigned threads : {1u, 2u, 4u}) {
            TVxProducer producer(FParser, true);
            producer.SetThreads(threads);
            producer.SetBufferBytes(64);
            const TRun run = Produce(producer, TestSeed, first, 5000, 0);
            SCOPED_TRACE(testing::Message() << "first " << first << ", threads " << threads);
            EXPECT_EQ(run.Error, "Invalid argument to date encode");
            EXPECT_EQ(run.Records, expected.Count);
            EXPECT_TRUE(run.Bytes == expected.Bytes);
            EXPECT_EQ(run.SeedAfter, expected.SeedAfter);
        }
    }
}

TEST_F(ProducerRunTest, SinkStopsTheRunAfterItsPiece) {
    FParser.Parse("/N=5 /F=1,#59 /E=U");
    for (const unsigned threads : {1u, 2u, 3u}) {
        TVxProducer producer(FParser, true);
        producer.SetThreads(threads);
        producer.SetRecordsPerPiece(100);
        int pieces = 0;
        const std::uint64_t delivered =
            producer.Run(TestSeed, 0, 1000000, [&](const TVxPiece&) { return ++pieces < 3; });
        EXPECT_EQ(pieces, 3) << threads << " threads";
        EXPECT_EQ(delivered, 300u) << threads << " threads";
        EXPECT_EQ(Seed, JumpAhead(TestSeed, std::uint64_t{300} * 5)) << threads << " threads";
    }
}

TEST_F(ProducerRunTest, SinkExceptionEndsTheRunAndReachesTheCaller) {
    FParser.Parse("/N=5 /F=1,#59 /E=U");
    for (const unsigned threads : {1u, 2u, 3u}) {
        TVxProducer producer(FParser, true);
        producer.SetThreads(threads);
        producer.SetBufferBytes(1000);
        int pieces = 0;
        EXPECT_THROW(producer.Run(TestSeed, 0, 1000000,
                                  [&](const TVxPiece&) -> bool {
                                      if (++pieces == 4) {
                                          throw std::runtime_error("disk gone");
                                      }
                                      return true;
                                  }),
                     std::runtime_error);
        EXPECT_EQ(pieces, 4);
    }
}

TEST_F(ProducerRunTest, CountsBeyondThirtyTwoBits) {
    FParser.Parse("/T=0 /E=N");
    const std::uint64_t count = (std::uint64_t{1} << 32) + 3;
    for (const unsigned threads : {1u, 2u}) {
        TVxProducer producer(FParser, true);
        producer.SetThreads(threads);
        std::uint64_t records = 0;
        const std::uint64_t delivered = producer.Run(0, 0, count, [&](const TVxPiece& piece) {
            records += piece.Records;
            return true;
        });
        EXPECT_EQ(delivered, count);
        EXPECT_EQ(records, count);
    }
}

// A field of terabytes streams through the one buffer: pieces hold parts of a record and
// say so, and nothing is held whole.
TEST_F(ProducerRunTest, HugeFieldComesInPieces) {
    FParser.Parse("/F=2147483647," + std::string(1000, 'x') + " /E=U");
    TVxProducer producer(FParser, true);
    producer.SetBufferBytes(4096);
    int pieces = 0;
    const std::uint64_t delivered = producer.Run(TestSeed, 0, 2, [&](const TVxPiece& piece) {
        EXPECT_EQ(piece.Size, 4096u);
        EXPECT_EQ(piece.Records, 0u);
        EXPECT_EQ(piece.WholeSize, 0u);
        EXPECT_EQ(std::string(piece.Data, piece.Size), std::string(4096, 'x'));
        return ++pieces < 5;
    });
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(pieces, 5);
}

TEST_F(ProducerRunTest, HugeDrawnFieldsMatchTheDraws) {
    FParser.Parse("/N=2000000000 /E=U");
    TVxProducer producer(FParser, true);
    std::string start;
    producer.Run(TestSeed, 0, 1, [&](const TVxPiece& piece) {
        start.assign(piece.Data, std::min<std::size_t>(piece.Size, 5000));
        return false;
    });
    std::string expected;
    Seed = TestSeed;
    for (int i = 0; i < 5000; ++i) {
        expected += static_cast<char>('0' + RandomBelow(10));
    }
    EXPECT_EQ(start, expected);
}

// Records of a few hundred kilobytes each: whole records end pieces that are marked whole,
// the rest carry parts.
TEST_F(ProducerRunTest, LargeRecordsAcrossPiecesKeepTheirBoundaries) {
    SystemDateFormat = "yyyy-mm-dd";
    FParser.Parse("/N=70000 /Y=1990,2000 /E=U");
    const TRecords expected = GetRecords(FParser, true, TestSeed, 0, 4);
    TVxProducer producer(FParser, true);
    producer.SetBufferBytes(50000);
    std::string bytes;
    std::uint64_t records = 0;
    producer.Run(TestSeed, 0, 4, [&](const TVxPiece& piece) {
        bytes.append(piece.Data, piece.Size);
        records += piece.Records;
        EXPECT_LE(piece.WholeSize, piece.Size);
        if (piece.Records > 0) {
            EXPECT_EQ(bytes.size() - (piece.Size - piece.WholeSize),
                      expected.Bytes.size() / 4 * records);
        }
        return true;
    });
    EXPECT_EQ(records, 4u);
    EXPECT_TRUE(bytes == expected.Bytes);
    EXPECT_EQ(Seed, expected.SeedAfter);
}

// Values wider than a buffer (a line padded to 70000 bytes) come in parts, and a counter
// keeps counting the records of the run, from the stretch's first one on.
TEST_F(ProducerRunTest, ValuesOfRecordsLargerThanABuffer) {
    FParser.Parse("/I=0,5 /W=70000," + WordFilePath() + " /V=0,a|bc /E=U");
    const TRecords expected = GetRecords(FParser, true, TestSeed, 0, 6);
    TVxProducer producer(FParser, true);
    producer.SetBufferBytes(50000);
    for (const std::uint64_t first : {0u, 2u}) {
        std::string bytes;
        producer.Run(TestSeed, first, 6 - first, [&](const TVxPiece& piece) {
            bytes.append(piece.Data, piece.Size);
            return true;
        });
        const std::size_t start = first == 0 ? 0 : expected.Bytes.find("\n7") + 1;
        EXPECT_TRUE(bytes == expected.Bytes.substr(start)) << "from record " << first;
    }
    EXPECT_EQ(expected.Bytes.substr(0, 2), "5 ");
}

// A counter that outgrows its width within the records asked for is refused before the
// first of them is handed over, wherever the stretch starts.
TEST_F(ProducerRunTest, CounterOutgrowingItsWidthIsRefusedBeforeAnyRecord) {
    FParser.Parse("/I=2,95 /N=1 /E=U");
    TVxProducer producer(FParser, true);
    for (const auto& [first, count] : {std::pair<std::uint64_t, std::uint64_t>{0, 6}, {5, 1}}) {
        const TRun run = Produce(producer, TestSeed, first, count, 0);
        EXPECT_EQ(run.Error, "Field 1 (\"counter (record number)\"): the value 100 takes 3 "
                             "characters, more than its width of 2.");
        EXPECT_TRUE(run.Bytes.empty());
    }
    EXPECT_EQ(Produce(producer, TestSeed, 0, 5, 0).Records, 5u);
}

// A record longer than a buffer that fails on its date: the sink sees exactly the good
// records before it, however the run is cut into pieces and threads, and not one byte of
// the failing record, whose first pieces would otherwise have gone out before its date.
TEST_F(ProducerRunTest, FailingRecordLongerThanABufferHandsOverNothingOfIt) {
    SystemDateFormat = "yyyy";
    FParser.Parse("/B=70000 /Y=9999,10000 /E=U");
    const TRecords expected = GetRecords(FParser, true, 2, 0, 6);
    ASSERT_TRUE(expected.Error.has_value());
    ASSERT_GT(expected.Count, 0u);
    for (const unsigned threads : {1u, 2u, 4u}) {
        for (const std::size_t bufferBytes :
             {std::size_t{1000}, std::size_t{65536}, std::size_t{100000}, std::size_t{1} << 20}) {
            for (const std::uint64_t perPiece : {0u, 1u}) {
                SCOPED_TRACE(testing::Message() << "threads " << threads << ", buffer "
                                                << bufferBytes << ", per piece " << perPiece);
                TVxProducer producer(FParser, true);
                producer.SetThreads(threads);
                producer.SetBufferBytes(bufferBytes);
                producer.SetRecordsPerPiece(perPiece);
                std::string handed;
                std::uint64_t records = 0;
                const auto sink = [&](const TVxPiece& piece) {
                    handed.append(piece.Data, piece.Size);
                    records += piece.Records;
                    return true;
                };
                Seed = 0;
                EXPECT_THROW(producer.Run(2, 0, 6, sink), EConvertError);
                EXPECT_EQ(records, expected.Count);
                EXPECT_EQ(handed.size(), expected.Bytes.size());
                EXPECT_TRUE(handed == expected.Bytes);
                EXPECT_EQ(Seed, expected.SeedAfter);
            }
        }
    }
}

// When the system gives fewer threads than asked for, the run goes on with those that
// started, or on the calling thread, with the same bytes, and says so once.
TEST_F(ProducerRunTest, RunsOnTheThreadsThatCouldStart) {
    SystemDateFormat = "yyyy-mm-dd";
    FParser.Parse("/N=5 /Y=1900,2100 /F=1,#59 /E=U");
    const TRecords expected = GetRecords(FParser, true, TestSeed, 0, 3000);
    for (const unsigned allowed : {0u, 1u, 2u, 3u}) {
        SCOPED_TRACE(testing::Message() << allowed << " threads allowed");
        TVxProducer producer(FParser, true);
        producer.SetThreads(3);
        producer.SetBufferBytes(1000);
        unsigned starts = 0;
        producer.SetThreadStarter([&](std::function<void()> body) {
            if (++starts > allowed) {
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            }
            return std::thread(std::move(body));
        });
        std::vector<std::tuple<unsigned, unsigned, unsigned>> notices;
        producer.SetOnFewerThreads([&](unsigned wanted, unsigned started, unsigned running) {
            notices.emplace_back(wanted, started, running);
        });
        const TRun run = Produce(producer, TestSeed, 0, 3000, 0);
        EXPECT_TRUE(run.Bytes == expected.Bytes);
        EXPECT_EQ(run.Returned, 3000u);
        EXPECT_EQ(run.SeedAfter, expected.SeedAfter);
        EXPECT_EQ(producer.ThreadsStarted(), std::max(allowed, 1u));
        if (allowed < 3) {
            ASSERT_EQ(notices.size(), 1u);
            EXPECT_EQ(notices[0], std::make_tuple(3u, allowed, std::max(allowed, 1u)));
        } else {
            EXPECT_TRUE(notices.empty());
        }
    }
}

TEST(ProducerProcessorsTest, AtLeastOne) {
    EXPECT_GE(TVxProducer::UsableProcessors(), 1u);
}

} // namespace

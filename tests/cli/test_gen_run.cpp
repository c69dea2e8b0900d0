// SPDX-License-Identifier: MIT
// tabbit-gen's generation run in-process: which records a part writes, and where a file that
// could not take all records ends.
#include "cli/GenRun.h"

#include "engine/Dates.h"
#include "tests/support/TTempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <sys/resource.h>

namespace {

constexpr std::uint64_t MaxRecords = 2147483647;

/// Generates definition with seed into path; returns the exit status.
int GenerateInto(const std::string& path, const std::string& definition, std::uint32_t seed) {
    TGenOptions o;
    o.Quiet = true;
    o.Seed = seed;
    o.Output = path;
    return GenerateRecords(o, {definition, false});
}

/// Limits the size of files this process writes for as long as it lives: a write beyond the
/// limit fails as on a full disk.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FOld;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }

private:
    rlimit FOld{};
    void (*FOldHandler)(int);
};

} // namespace

TEST(PartRange, PartsFollowEachOtherWithoutGapOrOverlap) {
    for (std::uint64_t total : {0u, 1u, 5u, 99u, 100u, 1001u})
        for (std::uint64_t count : {1u, 2u, 3u, 7u, 100u, 1000u}) {
            std::uint64_t next = 0;
            for (std::uint64_t i = 1; i <= count; ++i) {
                const TRecordRange r = PartRange(total, i, count);
                ASSERT_EQ(r.First, next) << total << " " << i << "/" << count;
                // Parts differ by at most one record.
                ASSERT_LE(r.Count, total / count + 1);
                next += r.Count;
            }
            EXPECT_EQ(next, total) << total << "/" << count;
        }
}

TEST(PartRange, LargestCountsDoNotOverflow) {
    struct Case {
        std::uint64_t Total, Index, Count, First, Records;
    };
    const std::uint64_t most = std::uint64_t(1) << 62;
    const Case cases[] = {
        {MaxRecords, 1, 1, 0, MaxRecords},
        {MaxRecords, 2, 2, 1073741823, 1073741824},
        {MaxRecords, 1, most, 0, 0},
        {MaxRecords, most, most, MaxRecords - 1, 1},
        // floor((most - k) * total / most) is total - 1 for small k and any total below most.
        {MaxRecords, most - 1, most, MaxRecords - 1, 0},
        {most, most, most, most - 1, 1},
        {10, 3, 3, 6, 4},
    };
    for (const Case& c : cases) {
        const TRecordRange r = PartRange(c.Total, c.Index, c.Count);
        EXPECT_EQ(r.First, c.First) << c.Total << " " << c.Index << "/" << c.Count;
        EXPECT_EQ(r.Count, c.Records) << c.Total << " " << c.Index << "/" << c.Count;
    }
}

TEST(GenerateRecords, FileThatCannotTakeMoreEndsAtItsLastWholeRecord) {
    // Dates written d/m/yyyy vary in width, so where a record ends cannot be computed from
    // the record count.
    SystemDateFormat = "d/m/yyyy";
    const std::string definition = "/R=3000 /N=1 /Y=1990,2020 /E=W";
    TTempDir dir;
    ASSERT_EQ(GenerateInto(dir.File("whole"), definition, 77), 0);
    const std::string whole = ReadBytes(dir.File("whole"));
    ASSERT_GT(whole.size(), 30000u);

    for (rlim_t limit : {0, 1, 11, 12, 13, 14, 4096, 10000, 20001, 30000}) {
        int status;
        {
            TFileSizeLimit sizeLimit(limit);
            status = GenerateInto(dir.File("cut"), definition, 77);
        }
        const std::string cut = ReadBytes(dir.File("cut"));
        EXPECT_EQ(status, 1) << limit;
        // The file holds the run's first records, whole, and the next one would not fit.
        ASSERT_LE(cut.size(), limit);
        EXPECT_EQ(whole.compare(0, cut.size(), cut), 0) << limit;
        if (!cut.empty()) {
            EXPECT_EQ(cut.substr(cut.size() - 2), "\r\n") << limit;
        }
        EXPECT_GT(whole.find("\r\n", cut.size()) + 2, limit) << limit;
    }
}

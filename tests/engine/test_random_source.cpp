// SPDX-License-Identifier: MIT
#include "engine/RandomSource.h"

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

std::vector<std::int32_t> Draws(std::int32_t bound, int count) {
    std::vector<std::int32_t> draws;
    for (int i = 0; i < count; ++i) {
        draws.push_back(RandomBelow(bound));
    }
    return draws;
}

TEST(RandomBelowTest, ReferenceSequences) {
    Seed = 0;
    EXPECT_EQ(Draws(10, 6), (std::vector<std::int32_t>{0, 0, 8, 2, 2, 6}));
    Seed = 0;
    EXPECT_EQ(Draws(256, 6), (std::vector<std::int32_t>{0, 8, 220, 51, 69, 171}));
}

TEST(RandomBelowTest, EveryDrawAdvancesTheSeedOnce) {
    for (const std::int32_t bound : {0, 1, 2, 1000, -1}) {
        Seed = 12345;
        RandomBelow(bound);
        EXPECT_EQ(Seed, 12345u * 134775813u + 1u) << "bound " << bound;
    }
    Seed = 77;
    EXPECT_EQ(RandomBelow(1), 0);
    EXPECT_EQ(RandomBelow(0), 0);
}

TEST(RandomBelowTest, StaysBelowThePositiveBound) {
    Seed = 99;
    for (int i = 0; i < 10000; ++i) {
        const std::int32_t draw = RandomBelow(7);
        ASSERT_GE(draw, 0);
        ASSERT_LT(draw, 7);
    }
}

TEST(RandomBelowTest, NegativeBoundCountsAsUnsigned) {
    // This seed steps to 2^32 - 1, and that times the unsigned bound 2^32 - 2 gives 2^32 - 3.
    Seed = 1298181734u;
    const std::int32_t draw = RandomBelow(-2);
    EXPECT_EQ(Seed, 0xFFFFFFFFu);
    EXPECT_EQ(static_cast<std::uint32_t>(draw), 0xFFFFFFFDu);
}

TEST(DrawBelowTest, MatchesRandomBelow) {
    Seed = 4242;
    std::uint32_t state = Seed;
    for (int i = 0; i < 100; ++i) {
        const std::uint32_t local = DrawBelow(state, 52);
        EXPECT_EQ(static_cast<std::int32_t>(local), RandomBelow(52));
    }
    EXPECT_EQ(state, Seed);
}

TEST(SeedTest, SeedOfTimeCountsMillisecondsOfTheDay) {
    EXPECT_EQ(SeedOfTime(0, 0, 0, 0), 0u);
    EXPECT_EQ(SeedOfTime(12, 34, 56, 789), 45296789u);
    EXPECT_EQ(SeedOfTime(23, 59, 59, 999), 86399999u);
}

TEST(SeedTest, SeedFromTimeUsesTheUtcTimeOfDay) {
    using namespace std::chrono;
    const auto msOfDay = [] {
        return static_cast<std::uint32_t>(
            duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() % 86400000);
    };
    const std::uint32_t before = msOfDay();
    SeedFromTime();
    const std::uint32_t seeded = Seed;
    const std::uint32_t after = msOfDay();
    EXPECT_LT(seeded, 86400000u);
    if (before <= after) { // not across midnight
        EXPECT_GE(seeded, before);
        EXPECT_LE(seeded, after);
    }
}

std::uint32_t Steps(std::uint32_t state, std::uint64_t steps) {
    for (std::uint64_t i = 0; i < steps; ++i) {
        state = state * 134775813u + 1u;
    }
    return state;
}

TEST(JumpAheadTest, EqualsSingleSteps) {
    for (const std::uint32_t state : {0u, 1u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        for (const std::uint64_t steps : {0u, 1u, 2u, 3u, 4u, 5u, 64u, 1000u, 123457u}) {
            EXPECT_EQ(JumpAhead(state, steps), Steps(state, steps))
                << "state " << state << ", steps " << steps;
        }
    }
}

TEST(JumpAheadTest, PeriodIsTwoToTheThirtyTwo) {
    const std::uint32_t state = 777;
    const std::uint64_t period = std::uint64_t{1} << 32;
    EXPECT_EQ(JumpAhead(state, period), state);
    EXPECT_EQ(JumpAhead(state, period + 5), Steps(state, 5));
    EXPECT_EQ(JumpAhead(state, 7 * period + 1000), Steps(state, 1000));
    // 2^64 - 1 steps are 2^32 - 1 steps: one step short of the full period.
    EXPECT_EQ(JumpAhead(Steps(state, 1), UINT64_MAX), state);
    EXPECT_EQ(JumpAhead(JumpAhead(state, 1u << 31), 1u << 31), state);
}

/// The steps a record of definition takes from seed, found by stepping until the state
/// that GetRecord leaves is reached.
std::uint64_t MeasuredDraws(TVxRndParser& parser, std::uint32_t seed) {
    Seed = seed;
    std::string line;
    parser.GetRecord(true, line);
    std::uint32_t state = seed;
    for (std::uint64_t steps = 0; steps < 100000; ++steps) {
        if (state == Seed) {
            return steps;
        }
        state = state * 134775813u + 1u;
    }
    return UINT64_MAX;
}

TEST(DrawsPerRecordTest, CountsTheDrawsOfEveryFieldType) {
    const std::string savedFormat = SystemDateFormat;
    SystemDateFormat = "yyyy-mm-dd";
    const struct {
        const char* Definition;
        std::uint64_t Draws;
    } cases[] = {
        {"/N=5 /F=1,#59 /E=U", 5},
        {"/N=3 /H=2 /C=4 /S=1 /L=6 /P=2 /X=7", 25},
        {"/T=4 /B=3 /F=9,abc", 0},
        {"/N=0 /C=-1 /X=-100 /T=-2", 0},
        {"/U=4, /U=2,x /U=3,abc", 5},
        {"/D= /A=3", 3},
        {"/D=\xE4\xF6 /A=6", 6},
        {"/Y=1990,2020", 3},
        {"/Y=2020,1990 /Y=2000 /N=1", 7},
        {"/N=8 /C=4 /S=6 /L=10 /H=8 /B=1 /F=1,#59 /U=5,#65#66#67 /A=4 /Y=1990,2020 /E=U", 48},
    };
    for (const auto& c : cases) {
        TVxRndParser parser;
        parser.Parse(c.Definition);
        EXPECT_EQ(DrawsPerRecord(parser), c.Draws) << c.Definition;
        for (const std::uint32_t seed : {0u, 99u, 0xFEDCBA98u}) {
            EXPECT_EQ(MeasuredDraws(parser, seed), c.Draws) << c.Definition;
        }
    }
    SystemDateFormat = savedFormat;
}

} // namespace

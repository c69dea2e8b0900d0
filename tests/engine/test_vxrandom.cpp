// SPDX-License-Identifier: MIT
#include "engine/VxRandom.h"

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

} // namespace

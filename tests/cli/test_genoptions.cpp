// SPDX-License-Identifier: MIT
#include "cli/GenOptions.h"

#include <gtest/gtest.h>

using Args = std::vector<std::string>;

TEST(ParseGenOptions, TakesEveryOption) {
    const TGenOptions o = ParseGenOptions(
        {"--seed", "4294967295", "--date-format", "yyyy", "-o", "-", "--quiet", "/N=5"});
    EXPECT_EQ(o.Seed, 4294967295u);
    EXPECT_EQ(o.DateFormat, "yyyy");
    EXPECT_EQ(o.Output, "-");
    EXPECT_TRUE(o.Quiet);
    EXPECT_EQ(o.CommandString, "/N=5");
}

TEST(ParseGenOptions, DoubleDashLetsADefinitionStartWithADash) {
    EXPECT_EQ(ParseGenOptions({"--", "-N"}).CommandString, "-N");
    EXPECT_EQ(ParseGenOptions({"--", "--seed"}).CommandString, "--seed");
    // A switch written with "-" is a command string as long as it is no option of ours.
    EXPECT_EQ(ParseGenOptions({"-N=5"}).CommandString, "-N=5");
}

TEST(ParseGenOptions, LoadAndListNeedNoCommandString) {
    EXPECT_EQ(ParseGenOptions({"--load", "short list", "--ini", "/x.ini"}).LoadName, "short list");
    EXPECT_TRUE(ParseGenOptions({"--list"}).List);
    EXPECT_TRUE(ParseGenOptions({"--help"}).Help);
    EXPECT_TRUE(ParseGenOptions({"--version"}).Version);
}

TEST(ParseGenOptions, RefusesBadUsage) {
    const std::vector<Args> bad = {
        {},
        {"--seed", "-1", "/N"},
        {"--seed", "4294967296", "/N"},
        {"--seed", "12x", "/N"},
        {"--seed", "", "/N"},
        {"--seed"},
        {"-o"},
        {"-o", "", "/N"},
        {"--frobnicate", "/N"},
        {"-q", "/N"},
        {"/N=1", "/N=2"},
        {"--load", "a", "/N"},
        {"--list", "/N"},
    };
    for (const Args& args : bad)
        EXPECT_THROW(ParseGenOptions(args), TUsageError) << ::testing::PrintToString(args);
}

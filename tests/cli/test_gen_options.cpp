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

TEST(ParseGenOptions, TakesTheGnuForms) {
    const TGenOptions o =
        ParseGenOptions({"--seed=7", "--output=out.txt", "--date-format=dd.mm.yyyy", "-j3",
                         "--part=2/5", "--ini=/x.ini", "/N=5", "-q"});
    EXPECT_EQ(o.Seed, 7u);
    EXPECT_EQ(o.Output, "out.txt");
    EXPECT_EQ(o.DateFormat, "dd.mm.yyyy");
    EXPECT_EQ(o.Threads, 3u);
    ASSERT_TRUE(o.Part);
    EXPECT_EQ(o.Part->Index, 2u);
    EXPECT_EQ(o.Part->Count, 5u);
    EXPECT_EQ(o.IniPath, "/x.ini");
    EXPECT_TRUE(o.Quiet);
    EXPECT_EQ(o.CommandString, "/N=5");

    // Short options cluster, and the last one of a cluster may take the next argument.
    const TGenOptions c = ParseGenOptions({"-qo", "out.txt", "/N"});
    EXPECT_TRUE(c.Quiet);
    EXPECT_EQ(c.Output, "out.txt");
    EXPECT_EQ(ParseGenOptions({"-qoout.txt", "/N"}).Output, "out.txt");
    EXPECT_EQ(ParseGenOptions({"--threads", "8", "/N"}).Threads, 8u);
    // An unambiguous beginning of a long option is that option.
    EXPECT_EQ(ParseGenOptions({"--se=3", "/N"}).Seed, 3u);
    // The last of a repeated option counts.
    EXPECT_EQ(ParseGenOptions({"-o", "a", "-o", "b", "/N"}).Output, "b");
}

TEST(ParseGenOptions, NumbersMayHaveLeadingZeros) {
    EXPECT_EQ(ParseGenOptions({"--seed=007", "/N"}).Seed, 7u);
    EXPECT_EQ(ParseGenOptions({"--seed", "0000000000004294967295", "/N"}).Seed, 4294967295u);
    EXPECT_EQ(ParseGenOptions({"--seed=000", "/N"}).Seed, 0u);
    EXPECT_EQ(ParseGenOptions({"-j", "0008", "/N"}).Threads, 8u);
    EXPECT_THROW(ParseGenOptions({"--seed=04294967296", "/N"}), TUsageError);
    EXPECT_THROW(ParseGenOptions({"-j", "00", "/N"}), TUsageError);
}

TEST(ParseGenOptions, ListWarnsOfTheOptionsItIgnores) {
    EXPECT_EQ(ParseGenOptions({"--list", "-q", "--ini=x.ini"}).Warnings, Args{});
    EXPECT_EQ(ParseGenOptions({"--list", "-o", "x", "--seed=1", "-j2", "--part=1/2",
                               "--date-format=yy", "--records=1", "--eol=lf", "--charset=x"})
                  .Warnings,
              (Args{"-o is ignored with --list", "--seed is ignored with --list",
                    "--date-format is ignored with --list", "-j is ignored with --list",
                    "--part is ignored with --list", "--records is ignored with --list",
                    "--eol is ignored with --list", "--charset is ignored with --list"}));
    // A run uses them all.
    EXPECT_EQ(ParseGenOptions({"-o", "x", "--seed=1", "-j2", "--part=1/2", "/N"}).Warnings, Args{});
}

TEST(ParseGenOptions, SettingsThatReplaceTheDefinitions) {
    const TGenOptions o =
        ParseGenOptions({"--records=0012", "--eol=crlf", "--charset=a b", "--load=x"});
    EXPECT_EQ(o.Records, 12);
    EXPECT_EQ(o.EndOfLine, 'W');
    EXPECT_EQ(o.Charset, "a b");
    EXPECT_EQ(ParseGenOptions({"--eol", "LF", "/N"}).EndOfLine, 'U');
    EXPECT_EQ(ParseGenOptions({"--eol=None", "/N"}).EndOfLine, 'N');
    EXPECT_EQ(ParseGenOptions({"--charset=", "/N"}).Charset, "");
    EXPECT_EQ(ParseGenOptions({"--records", "2147483647", "/N"}).Records, 2147483647);
    EXPECT_FALSE(ParseGenOptions({"/N"}).Records);
}

TEST(ParseGenOptions, DefinitionFromAFile) {
    EXPECT_EQ(ParseGenOptions({"-f", "def.txt"}).DefinitionFile, "def.txt");
    EXPECT_EQ(ParseGenOptions({"--file=-", "-o", "-"}).DefinitionFile, "-");
    EXPECT_EQ(ParseGenOptions({"-qf-"}).DefinitionFile, "-");
}

TEST(ParseGenOptions, DoubleDashLetsADefinitionStartWithADash) {
    EXPECT_EQ(ParseGenOptions({"--", "-N"}).CommandString, "-N");
    EXPECT_EQ(ParseGenOptions({"--", "--seed"}).CommandString, "--seed");
    // A switch written with "-" is a command string as long as it is no option of ours.
    EXPECT_EQ(ParseGenOptions({"-N=5"}).CommandString, "-N=5");
}

TEST(ParseGenOptions, FindsTheCommandStringWhereverItStands) {
    struct Case {
        Args Arguments;
        std::string CommandString;
    };
    const std::vector<Case> cases = {
        // Options may follow the command string.
        {{"/R=10 /N=5", "-o", "x.txt"}, "/R=10 /N=5"},
        // "--" ends the options.
        {{"-q", "--", "-q"}, "-q"},
        // Switches written with "-" are a command string when they are no option cluster.
        {{"-N=5 /F=1,#59"}, "-N=5 /F=1,#59"},
        {{"-N5 /F1", "-q"}, "-N5 /F1"},
        {{"-N5/F1"}, "-N5/F1"},
        {{"-f=3,abc"}, "-f=3,abc"},
        {{"-h=4", "--seed=1"}, "-h=4"},
        {{"-"}, "-"},
        // The value of an option is never the command string, whatever it looks like.
        {{"-o", "-N=5", "/N"}, "/N"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseGenOptions(c.Arguments).CommandString, c.CommandString)
            << ::testing::PrintToString(c.Arguments);
    EXPECT_EQ(ParseGenOptions({"-o", "-N=5", "/N"}).Output, "-N=5");
    // A value attached to a short option may hold "/".
    EXPECT_EQ(ParseGenOptions({"-o/tmp/out.txt", "/N"}).Output, "/tmp/out.txt");
    EXPECT_EQ(ParseGenOptions({"-qf/tmp/def.txt"}).DefinitionFile, "/tmp/def.txt");
    EXPECT_EQ(ParseGenOptions({"--load", "-n=1"}).LoadName, "-n=1");
}

TEST(ParseGenOptions, LoadAndListNeedNoCommandString) {
    EXPECT_EQ(ParseGenOptions({"--load", "short list", "--ini", "/x.ini"}).LoadName, "short list");
    EXPECT_TRUE(ParseGenOptions({"--list"}).List);
    EXPECT_TRUE(ParseGenOptions({"--help"}).Help);
    EXPECT_TRUE(ParseGenOptions({"-h"}).Help);
    EXPECT_TRUE(ParseGenOptions({"--version"}).Version);
    EXPECT_TRUE(ParseGenOptions({"-V"}).Version);
    // Help wins over what else is missing or wrong after it.
    EXPECT_TRUE(ParseGenOptions({"--help", "/N=1", "/N=2"}).Help);
}

TEST(ParseGenOptions, CanBeCalledAgainAfterAnError) {
    EXPECT_THROW(ParseGenOptions({"-qx", "/N"}), TUsageError);
    EXPECT_THROW(ParseGenOptions({"-o"}), TUsageError);
    // A parse left in the middle of a cluster must not leak into the next one.
    const TGenOptions o = ParseGenOptions({"-q", "/N"});
    EXPECT_TRUE(o.Quiet);
    EXPECT_EQ(o.CommandString, "/N");
    EXPECT_FALSE(o.Output);
}

TEST(ParseGenOptions, RefusesBadUsage) {
    struct Case {
        Args Arguments;
        std::string Message;
    };
    const std::vector<Case> cases = {
        {{}, "no command string given"},
        {{"--seed", "-1", "/N"}, "--seed takes a whole number from 0 to 4294967295, not '-1'"},
        {{"--seed=4294967296", "/N"},
         "--seed takes a whole number from 0 to 4294967295, not '4294967296'"},
        {{"--seed", "12x", "/N"}, "--seed takes a whole number from 0 to 4294967295, not '12x'"},
        {{"--seed=", "/N"}, "--seed takes a whole number from 0 to 4294967295, not ''"},
        {{"--seed", "", "/N"}, "--seed takes a whole number from 0 to 4294967295, not ''"},
        {{"--seed", "4294967296", "/N"},
         "--seed takes a whole number from 0 to 4294967295, not '4294967296'"},
        {{"--seed"}, "option '--seed' requires an argument"},
        {{"/N", "--date-format"}, "option '--date-format' requires an argument"},
        {{"-o"}, "option requires an argument -- 'o'"},
        {{"/N", "-qj"}, "option requires an argument -- 'j'"},
        {{"-o", "", "/N"}, "-o needs a file name, or - for standard output"},
        {{"--ini=", "--list"}, "--ini needs the path of a settings file"},
        {{"-f", ""}, "--file needs a file name, or - for standard input"},
        {{"--frobnicate", "/N"}, "unrecognized option '--frobnicate'"},
        {{"--frobnicate=3", "/N"}, "unrecognized option '--frobnicate'"},
        {{"--l", "/N"}, "option '--l' is ambiguous"},
        {{"--quiet=yes", "/N"}, "option '--quiet' doesn't allow an argument"},
        {{"-qx", "/N"}, "invalid option -- 'x'"},
        {{"--quiet", "-qxq", "/N"}, "invalid option -- 'x'"},
        // A single dash without "=", "/" or a blank starts options, not a command string.
        {{"-x", "/N=1"}, "invalid option -- 'x'"},
        {{"-n", "10", "--load", "X"}, "invalid option -- 'n'"},
        {{"-n5", "-q"}, "invalid option -- 'n'"},
        {{"/N=1", "/N=2"}, "only one command string is taken (quote it as one argument)"},
        {{"/N=1", "--", "/N=2"}, "only one command string is taken (quote it as one argument)"},
        {{"--load", "a", "/N"}, "give only one of a command string, --load=NAME and --file=FILE"},
        {{"-f", "a", "/N"}, "give only one of a command string, --load=NAME and --file=FILE"},
        {{"--list", "/N"}, "--list takes no command string, --load or --file"},
        {{"--threads=0", "/N"}, "--threads takes a whole number from 1 to 1024, not '0'"},
        {{"-j", "x", "/N"}, "--threads takes a whole number from 1 to 1024, not 'x'"},
        {{"--part=3/2", "--seed=1", "/N"}, "--part's I takes a whole number from 1 to 2, not '3'"},
        {{"--part=1", "--seed=1", "/N"}, "--part takes I/N (part I of N), not '1'"},
        {{"--part=1/2", "/N"}, "--part needs --seed, so that every part belongs to the same run"},
        {{"--records=-1", "/N"}, "--records takes a whole number from 0 to 2147483647, not '-1'"},
        {{"--records=2147483648", "/N"},
         "--records takes a whole number from 0 to 2147483647, not '2147483648'"},
        {{"--eol=w", "/N"}, "--eol takes crlf, lf or none, not 'w'"},
        {{"--eol=", "/N"}, "--eol takes crlf, lf or none, not ''"},
    };
    for (const Case& c : cases) {
        try {
            ParseGenOptions(c.Arguments);
            ADD_FAILURE() << "accepted " << ::testing::PrintToString(c.Arguments);
        } catch (const TUsageError& e) {
            EXPECT_EQ(e.what(), c.Message) << ::testing::PrintToString(c.Arguments);
        }
    }
}

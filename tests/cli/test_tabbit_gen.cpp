// SPDX-License-Identifier: MIT
// tabbit-gen as scripts use it: the real program, its output bytes, messages and exit status.
#include "tests/support/TTempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct Result {
    int Status = -1;
    std::string Out;
    std::string Err;
};

/// Runs tabbit-gen with args; shellTail is appended to the command line (a pipe, say).
Result RunGen(const std::vector<std::string>& args, const std::string& shellTail = "") {
    TTempDir io;
    std::string cmd = Quote(TABBIT_GEN);
    for (const std::string& a : args)
        cmd += " " + Quote(a);
    cmd += " 2>" + Quote(io.File("err"));
    if (shellTail.empty())
        cmd += " >" + Quote(io.File("out")) + " </dev/null";
    else
        cmd += shellTail + " >" + Quote(io.File("out"));
    const int raw = std::system(("bash -c " + Quote("set -o pipefail; " + cmd)).c_str());
    Result r;
    r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.Out = ReadBytes(io.File("out"));
    r.Err = ReadBytes(io.File("err"));
    return r;
}

/// Runs tabbit-gen with its standard output redirected as given (">/dev/full", ">&-").
Result RunGenTo(const std::vector<std::string>& args, const std::string& redirection) {
    TTempDir io;
    std::string cmd = Quote(TABBIT_GEN);
    for (const std::string& a : args)
        cmd += " " + Quote(a);
    cmd += " 2>" + Quote(io.File("err")) + " </dev/null " + redirection;
    const int raw = std::system(("bash -c " + Quote(cmd)).c_str());
    Result r;
    r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.Err = ReadBytes(io.File("err"));
    return r;
}

} // namespace

TEST(TabbitGen, ReproducesTheReferenceRecord) {
    const Result r =
        RunGen({"--seed", "0", "--date-format", "yyyy-mm-dd", "/N=3 /C=2 /Y=2000,2009 /E=N"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "008FH2006-04-05");
    EXPECT_EQ(r.Err, "");
}

TEST(TabbitGen, WritesTheRecordCountWithTheChosenLineEnd) {
    struct Case {
        std::string Eol;
        std::string Ending;
    };
    for (const Case& c : {Case{"W", "\r\n"}, Case{"U", "\n"}, Case{"N", ""}}) {
        const Result r = RunGen({"--seed", "7", "/R=3 /N=2 /F=1,#59 /E=" + c.Eol});
        ASSERT_EQ(r.Status, 0) << r.Err;
        const std::size_t length = 3 + c.Ending.size();
        ASSERT_EQ(r.Out.size(), 3 * length) << c.Eol;
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(r.Out.substr(i * length + 2, length - 2), ";" + c.Ending);
    }
}

TEST(TabbitGen, SameSeedSameBytesOtherSeedOtherBytes) {
    const std::vector<std::string> def = {"/R=50 /L=8 /X=3 /Y=1900,2100 /E=W"};
    const Result a = RunGen({"--seed", "123", "--date-format", "dd.mm.yyyy", def[0]});
    const Result b = RunGen({"--seed", "123", "--date-format", "dd.mm.yyyy", def[0]});
    const Result c = RunGen({"--seed", "124", "--date-format", "dd.mm.yyyy", def[0]});
    EXPECT_EQ(a.Status, 0);
    EXPECT_EQ(a.Out, b.Out);
    EXPECT_NE(a.Out, c.Out);
}

TEST(TabbitGen, TargetIsOptionThenDefinitionThenStandardOutput) {
    TTempDir dir;
    const std::string named = dir.File("named.txt");
    const std::string other = dir.File("other.txt");

    Result r = RunGen({"--seed", "1", "/R=2 /N=4 /E=U " + named});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(ReadBytes(named).size(), 10u);

    r = RunGen({"--seed", "1", "-o", other, "/R=3 /N=4 /E=U " + named});
    EXPECT_EQ(ReadBytes(other).size(), 15u);
    EXPECT_EQ(ReadBytes(named).size(), 10u);

    r = RunGen({"--seed", "1", "-o", "-", "/R=2 /N=4 /E=U " + named});
    EXPECT_EQ(r.Out, ReadBytes(named));
}

TEST(TabbitGen, NoRecordsStillTruncatesTheFile) {
    TTempDir dir;
    const std::string file = dir.File("out.txt");
    std::ofstream(file) << "old content";
    for (const std::string count : {"0", "-5"}) {
        const Result r = RunGen({"-o", file, "/R=" + count + " /N=5"});
        EXPECT_EQ(r.Status, 0) << r.Err;
        EXPECT_TRUE(fs::exists(file));
        EXPECT_EQ(fs::file_size(file), 0u);
    }
}

TEST(TabbitGen, RefusedDefinitionPrintsTheEngineMessageAndTouchesNoFile) {
    TTempDir dir;
    const std::string file = dir.File("out.txt");
    struct Case {
        std::string Definition;
        std::string Message;
    };
    const std::vector<Case> cases = {
        {"/R=5 /E=U", "Empty record definition not allowed."},
        // The argument at fault follows the engine's message.
        {"/R=x /N", "Invalid length for argument /R. (in /R=x)"},
        {"/N /E=WU", "Invalid value for argument /E. (in /E=WU)"},
        {"/N /RX=1", "Invalid argument RX (in /RX=1)"},
        {"/F=2,#97#x", "Code sequence not valid: #97#x (in /F=2,#97#x)"},
        {"/Y=1990,20x0", "'20x0' is not a valid integer value (in /Y=1990,20x0)"},
        {"/N=5,#97", "Invalid length for argument N. (in /N=5,#97)"},
        {"/n /U= x", "Invalid string for argument /U. (in /U=)"},
        // A definition of one word is a file name without fields.
        {"hello", "Empty record definition not allowed. (\"hello\" was taken as the output "
                  "file name; the definition has no field)"},
    };
    for (const Case& c : cases) {
        const Result r = RunGen({"-o", file, c.Definition});
        EXPECT_EQ(r.Status, 1) << c.Definition;
        EXPECT_EQ(r.Err, "tabbit-gen: " + c.Message + "\n");
        EXPECT_FALSE(fs::exists(file)) << c.Definition;
    }
}

TEST(TabbitGen, UsageErrorsExitTwoHelpAndVersionZero) {
    const std::string tryHelp = "Try 'tabbit-gen --help' for more information.\n";
    Result r = RunGen({"--seed", "x", "/N"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err,
              "tabbit-gen: --seed takes a whole number from 0 to 4294967295, not 'x'\n" + tryHelp);
    r = RunGen({});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, "tabbit-gen: no command string given\n" + tryHelp);
    r = RunGen({"--frobnicate"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, "tabbit-gen: unrecognized option '--frobnicate'\n" + tryHelp);
    EXPECT_EQ(r.Out, "");

    for (const char* help : {"--help", "-h"}) {
        r = RunGen({help});
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Out.rfind("Usage: tabbit-gen", 0), 0u);
        EXPECT_NE(r.Out.find("Exit status"), std::string::npos);
        EXPECT_TRUE(r.Out.ends_with("\nFull documentation: man tabbit-gen\n")) << r.Out;
    }
    for (const char* version : {"--version", "-V"}) {
        r = RunGen({version});
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Out.rfind("tabbit-gen 1.1\nCopyright (C) 2026 The tabbit developers.\n", 0),
                  0u);
        EXPECT_NE(r.Out.find("MIT"), std::string::npos);
    }
}

TEST(TabbitGen, WarnsOfWhatTheDefinitionIgnoresAndWritesTheSame) {
    TTempDir dir;
    const std::string file = dir.File("out.txt");
    const Result plain = RunGen({"--seed=4", "-o", "-", "/R=3 /N=4 /E=U"});
    const Result odd = RunGen({"--seed=4", "-o", "-", "/R=3 /Q=3 /N=4 -g /E=U " + file + " x"});
    EXPECT_EQ(odd.Status, 0);
    EXPECT_EQ(odd.Out, plain.Out);
    EXPECT_EQ(odd.Err, "tabbit-gen: warning: /Q=3 names no field or setting; it is ignored\n"
                       "tabbit-gen: warning: -g names no field or setting; it is ignored\n"
                       "tabbit-gen: warning: x after the file name " +
                           file + " is ignored\n");
    EXPECT_EQ(plain.Err, "");
}

TEST(TabbitGen, ReadsTheDefinitionFromAFileOrStandardInput) {
    TTempDir dir;
    const std::string expected = RunGen({"--seed=2", "/R=4 /N=3 /F=1,#59 /E=U"}).Out;
    // The name holds a byte that is no UTF-8: it must reach the file system unchanged.
    const std::string file = dir.File("def\xFF.txt");
    std::ofstream(file, std::ios::binary) << "/R=4 /N=3 /F=1,#59 /E=U\r\n/C=5\r\n";

    Result r = RunGen({"--seed=2", "-f", file});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, expected);

    r = RunGen({"--seed=2", "--file=-"}, " <" + Quote(file));
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, expected);

    // UTF-8 in the file becomes 8-bit text as on the command line.
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "/F=1,\xC3\xA4 /E=N\n";
    EXPECT_EQ(RunGen({"-f", file}).Out, "\xE4");

    r = RunGen({"-f", dir.File("absent.txt")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "tabbit-gen: " + dir.File("absent.txt") + ": No such file or directory\n");
}

TEST(TabbitGen, Utf8ArgumentsBecomeEightBitText) {
    // "ä" typed in a UTF-8 terminal is the one byte 0xE4 in the records.
    Result r = RunGen({"--seed", "0", "/F=1,\xC3\xA4 /E=N"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "\xE4");

    // Bytes that are no UTF-8 are taken as they are.
    r = RunGen({"--seed", "0", "/F=2,\xE4 /E=N"});
    EXPECT_EQ(r.Out, "\xE4\xE4");

    r = RunGen({"/F=1,\xE2\x82\xAC /E=N"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("U+20AC"), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
}

TEST(TabbitGen, DateFormatOptionYieldsToTheZSwitch) {
    Result r = RunGen({"--seed", "0", "--date-format", "yyyy", "/Y=2000,2000 /E=N"});
    EXPECT_EQ(r.Out, "2000");
    r = RunGen({"--seed", "0", "--date-format", "yyyy", "/Z=yy /Y=2000,2000 /E=N"});
    EXPECT_EQ(r.Out, "00");
}

TEST(TabbitGen, GenerationErrorKeepsTheRecordsBeforeIt) {
    TTempDir dir;
    const std::string file = dir.File("dates.txt");
    // Half the years drawn are 10000, which no date can have.
    const Result r = RunGen(
        {"--seed", "5", "--date-format", "yyyy", "-o", file, "/R=1000 /N /Y=9999,10000 /E=U"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "tabbit-gen: Invalid argument to date encode\n");
    const std::string written = ReadBytes(file);
    EXPECT_EQ(written.size() % 6, 0u);
    EXPECT_LT(written.size(), 6000u);
    for (std::size_t i = 0; i < written.size(); i += 6)
        EXPECT_EQ(written.substr(i + 1, 5), "9999\n");
}

TEST(TabbitGen, WriteFailuresGiveTheSystemsReason) {
    Result r = RunGen({"-o", "/dev/full", "/R=100000 /N=5 /E=W"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "tabbit-gen: /dev/full: No space left on device\n");

    TTempDir dir;
    const std::string missing = dir.File("no-such-folder/out.txt");
    r = RunGen({"-o", missing, "/N"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "tabbit-gen: " + missing + ": No such file or directory\n");
}

TEST(TabbitGen, ClosedPipeEndsQuietly) {
    const Result r = RunGen({"--seed", "1", "/R=5000000 /N=5 /E=U"}, " | head -n 2");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out.size(), 12u);
}

TEST(TabbitGen, ListsAndLoadsSavedDefinitions) {
    TTempDir dir;
    const std::string ini = dir.File("tabbit.ini");
    std::ofstream(ini, std::ios::binary)
        << "[RecordDefs]\r\nshort list=/R=2 /N=3 /E=U\r\nsemicolons=/R=1 /F=3,#59 /E=N\r\n\r\n";

    Result r = RunGen({"--ini", ini, "--list"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "short list\nsemicolons\n");

    r = RunGen({"--ini", ini, "--seed", "9", "--load", "SHORT LIST"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, RunGen({"--seed", "9", "/R=2 /N=3 /E=U"}).Out);

    r = RunGen({"--ini", ini, "--load", "semicolons"});
    EXPECT_EQ(r.Out, ";;;");

    r = RunGen({"--ini", ini, "--load", "nothing"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "tabbit-gen: No record definition named nothing\n");

    // A settings file named with --ini must be there.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--ini", dir.File("absent.ini"), "--list"},
             {"--ini", dir.File("absent.ini"), "--load", "short list"}}) {
        r = RunGen(args);
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Err, "tabbit-gen: " + dir.File("absent.ini") + ": No such file or directory\n");
        EXPECT_EQ(r.Out, "");
    }
}

TEST(TabbitGen, SettingsFileNameKeepsItsBytes) {
    TTempDir dir;
    const std::string ini = dir.File("bad\xFF.ini");
    std::ofstream(ini, std::ios::binary) << "[RecordDefs]\r\nbytes=/R=1 /F=2,#59 /E=N\r\n";
    Result r = RunGen({"--ini=" + ini, "--list"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "bytes\n");
    r = RunGen({"--ini", ini, "--load=bytes"});
    EXPECT_EQ(r.Out, ";;");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"bad\xFF.ini"});
}

TEST(TabbitGen, OutputFailuresOfListHelpAndVersionNameTheStream) {
    TTempDir dir;
    const std::string ini = dir.File("tabbit.ini");
    std::ofstream(ini, std::ios::binary) << "[RecordDefs]\r\none=/N\r\n";
    struct Case {
        std::vector<std::string> Args;
        std::string Redirection;
        std::string Reason;
    };
    const std::vector<Case> cases = {
        {{"--list", "--ini", ini}, ">/dev/full", "No space left on device"},
        {{"--list", "--ini", ini}, ">&-", "Bad file descriptor"},
        {{"--help"}, ">/dev/full", "No space left on device"},
        {{"--help"}, ">&-", "Bad file descriptor"},
        {{"--version"}, ">/dev/full", "No space left on device"},
        {{"--version"}, ">&-", "Bad file descriptor"},
    };
    for (const Case& c : cases) {
        const Result r = RunGenTo(c.Args, c.Redirection);
        EXPECT_EQ(r.Status, 1) << c.Args[0] << c.Redirection;
        EXPECT_EQ(r.Err, "tabbit-gen: standard output: " + c.Reason + "\n");
    }
    // A reader that stops early is no failure.
    const Result r = RunGen({"--help"}, " | head -c 10");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Err, "");
}

TEST(TabbitGen, GnuFormsGiveTheSameRecords) {
    const std::string expected = RunGen({"--seed", "3", "-o", "-", "/R=4 /N=3 /E=U"}).Out;
    ASSERT_EQ(expected.size(), 16u);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--seed=3", "--output=-", "/R=4 /N=3 /E=U"},
             {"/R=4 /N=3 /E=U", "-qo", "-", "--se=3"},
             {"-r=4 -n=3 -e=u", "--seed=3", "-o-"},
             {"--seed=3", "-o", "-", "--", "-R4 /N3 /EU"},
         }) {
        const Result r = RunGen(args);
        EXPECT_EQ(r.Status, 0) << r.Err;
        EXPECT_EQ(r.Out, expected) << ::testing::PrintToString(args);
    }
}

TEST(TabbitGen, MessagesNameFilesByTheirBytes) {
    TTempDir dir;
    const std::string missing = dir.File("no-such-folder/\xC3\xA9t\xC3\xA9.txt");
    Result r = RunGen({"-o", missing, "/N"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "tabbit-gen: " + missing + ": No such file or directory\n");

    r = RunGen({"--ini", dir.Path(), "--list"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "tabbit-gen: " + dir.Path() + ": Is a directory\n");
}

TEST(TabbitGen, MessagesShowControlBytesEscaped) {
    TTempDir dir;
    Result r = RunGen({"-o", "-", "/Q=\x1b]0;TITLE\a /N"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Err,
              "tabbit-gen: warning: /Q=\\e]0;TITLE\\a names no field or setting; it is ignored\n");

    const std::string missing = dir.File("no-such-folder/a\x01\x7f.txt");
    r = RunGen({"-o", missing, "/N"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "tabbit-gen: " + dir.File("no-such-folder/a\\x01\\x7f.txt") +
                         ": No such file or directory\n");
}

TEST(TabbitGen, ListIntoAFileKeepsTheBytesOfTheNames) {
    TTempDir dir;
    const std::string ini = dir.File("tabbit.ini");
    std::ofstream(ini, std::ios::binary)
        << "[RecordDefs]\r\nesc\x1b[2J=/N\r\nsoh\x01=/N\r\ndel\x7f=/N\r\n";
    const Result r = RunGen({"--ini", ini, "--list"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "esc\x1b[2J\nsoh\x01\ndel\x7f\n");
}

TEST(TabbitGen, ListWarnsOfIgnoredOptionsAndCreatesNothing) {
    TTempDir dir;
    // An installed copy keeps its settings in the user's configuration folder.
    fs::create_directories(dir.File("prefix/bin"));
    fs::create_directories(dir.File("prefix/share/tabbit/help"));
    fs::copy_file(TABBIT_GEN, dir.File("prefix/bin/tabbit-gen"));
    fs::create_directory(dir.File("home"));
    const std::string cmd = "env HOME=" + Quote(dir.File("home")) +
                            " XDG_CONFIG_HOME=" + Quote(dir.File("config")) + " " +
                            Quote(dir.File("prefix/bin/tabbit-gen")) + " --list --seed=3 -o x" +
                            " >" + Quote(dir.File("out")) + " 2>" + Quote(dir.File("err"));
    const int raw = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << ReadBytes(dir.File("err"));
    EXPECT_EQ(ReadBytes(dir.File("out")), "");
    EXPECT_EQ(ReadBytes(dir.File("err")), "tabbit-gen: warning: -o is ignored with --list\n"
                                          "tabbit-gen: warning: --seed is ignored with --list\n");
    EXPECT_FALSE(fs::exists(dir.File("config")));
    EXPECT_TRUE(fs::is_empty(dir.File("home")));
    EXPECT_FALSE(fs::exists(dir.File("prefix/bin/tabbit.ini")));
}

TEST(TabbitGen, DefinitionFileMayStartWithAByteOrderMark) {
    TTempDir dir;
    const std::string file = dir.File("def.txt");
    std::ofstream(file, std::ios::binary) << "\xEF\xBB\xBF/F=1,\xC3\xA4 /E=N\r\n";
    const Result r = RunGen({"-f", file});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "\xE4");
    EXPECT_EQ(r.Err, "");
}

TEST(TabbitGen, WarnsOfNegativeCountsAndIgnoredLinesAndWritesTheSame) {
    TTempDir dir;
    Result r = RunGen({"-o", "-", "/R=-5 /N=5"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err,
              "tabbit-gen: warning: the record count -5 is below 0; no records are written\n");

    const std::string file = dir.File("def.txt");
    const std::string expected = RunGen({"--seed=2", "/R=4 /N=3 /E=U"}).Out;
    struct Case {
        std::string Content;
        std::string Warning;
    };
    const std::vector<Case> cases = {
        {"/R=4 /N=3 /E=U\n", ""},
        {"/R=4 /N=3 /E=U\r\n \t\r\n\n", ""},
        {"/R=4 /N=3 /E=U\n\n  /C=5\n/X\n",
         "tabbit-gen: warning: " + file +
             ": only the first line is read; line 3 and any after it are ignored\n"},
        {"/R=4 /N=3 /E=U\n" + std::string(100000, '\n') + "x",
         "tabbit-gen: warning: " + file +
             ": only the first line is read; line 100002 and any after it are ignored\n"},
    };
    for (const Case& c : cases) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.Content;
        r = RunGen({"--seed=2", "-f", file});
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Out, expected);
        EXPECT_EQ(r.Err, c.Warning);
        // Standard input says so as well.
        r = RunGen({"--seed=2", "-f", "-"}, " <" + Quote(file));
        EXPECT_EQ(r.Out, expected);
        EXPECT_EQ(r.Err.empty(), c.Warning.empty()) << r.Err;
    }
}

TEST(TabbitGen, ASingleDashWithoutEqualsSlashOrBlankIsAnOption) {
    const std::string tryHelp = "Try 'tabbit-gen --help' for more information.\n";
    Result r = RunGen({"-x", "/N=1"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, "tabbit-gen: invalid option -- 'x'\n" + tryHelp);
    r = RunGen({"-n", "10", "--load", "X"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, "tabbit-gen: invalid option -- 'n'\n" + tryHelp);
    for (const char* definition : {"-N=5 /F=1 /E=N", "-N5 /F=1 /E=N"}) {
        r = RunGen({"--seed=1", definition});
        EXPECT_EQ(r.Status, 0) << definition;
        EXPECT_EQ(r.Out.size(), 6u) << definition;
    }
}

TEST(TabbitGen, OptionsReplaceTheRecordCountLineEndAndCharacterSet) {
    TTempDir dir;
    const std::string ini = dir.File("tabbit.ini");
    std::ofstream(ini, std::ios::binary) << "[RecordDefs]\r\nten=/R=10 /N=3 /E=W\r\n";
    struct Case {
        std::vector<std::string> Args;
        std::string SameAs;
    };
    const std::vector<Case> cases = {
        {{"--records=3", "/R=10 /N=3 /E=U"}, "/R=3 /N=3 /E=U"},
        {{"--records=3", "/N=3 /E=U"}, "/R=3 /N=3 /E=U"},
        // The definition's own value is not even looked at.
        {{"--records=3", "/R=x /N=3 /E=U"}, "/R=3 /N=3 /E=U"},
        {{"--eol=lf", "/R=3 /N=3 /E=W"}, "/R=3 /N=3 /E=U"},
        {{"--eol=none", "/R=3 /N=3"}, "/R=3 /N=3 /E=N"},
        {{"--charset=\xC3\xA4\xC3\xB6", "/R=50 /A=5 /D=x /E=U"}, "/R=50 /A=5 /D=\xE4\xF6 /E=U"},
        {{"--ini", ini, "--load=ten", "--records=2", "--eol=crlf"}, "/R=2 /N=3 /E=W"},
        {{"--ini", ini, "--load=ten", "--records=0"}, "/R=0 /N=3"},
        {{"--ini", ini, "--load=ten", "--eol=none"}, "/R=10 /N=3 /E=N"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.Args;
        args.insert(args.begin(), "--seed=8");
        const Result r = RunGen(args);
        EXPECT_EQ(r.Status, 0) << r.Err;
        EXPECT_EQ(r.Err, "");
        EXPECT_EQ(r.Out, RunGen({"--seed=8", c.SameAs}).Out) << ::testing::PrintToString(c.Args);
    }

    // A blank in the character set, which /D cannot hold.
    const Result r = RunGen({"--seed=8", "--charset= ", "/R=1 /A=2000 /E=N"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out.size(), 2000u);
    EXPECT_NE(r.Out.find(' '), std::string::npos);
    EXPECT_EQ(r.Out.find_first_not_of(" ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
              std::string::npos);

    const Result euro = RunGen({"--charset=\xE2\x82\xAC", "/A"});
    EXPECT_EQ(euro.Status, 1);
    EXPECT_NE(euro.Err.find("U+20AC"), std::string::npos) << euro.Err;
}

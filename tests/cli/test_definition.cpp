// SPDX-License-Identifier: MIT
#include "cli/Definition.h"

#include "tests/support/TTempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using Texts = std::vector<std::string>;

TEST(IgnoredArguments, NamesWhatTheRecordParserPassesOver) {
    struct Case {
        std::string Definition;
        Texts Ignored;
    };
    const std::vector<Case> cases = {
        // Every setting and field letter means something.
        {"/R=2 /D=x /E=U /Z=yy /A /B /C /F=1,a /H /L /N /P /S /T /U=1,a /X /Y=1,2 out.txt", {}},
        {"-r=2 -n=5 /n5", {}},
        {"/Q=3 /N", {"/Q=3 names no field or setting; it is ignored"}},
        {"/N -g5 /k",
         {"-g5 names no field or setting; it is ignored",
          "/k names no field or setting; it is ignored"}},
        // A digit or an accented letter names nothing either.
        {"/N /5=1 /\xE4",
         {"/5=1 names no field or setting; it is ignored",
          "/\xC3\xA4 names no field or setting; it is ignored"}},
        {"/N a.txt b.txt c",
         {"b.txt after the file name a.txt is ignored", "c after the file name a.txt is ignored"}},
        // Names the record parser refuses are left to its own message.
        {"/N /RX=1 /=3", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IgnoredArguments(c.Definition), c.Ignored) << c.Definition;
}

TEST(ReadFirstLine, TakesTheFirstLineWithoutItsEnd) {
    TTempDir dir;
    struct Case {
        std::string Content;
        std::string Line;
    };
    const std::vector<Case> cases = {
        {"/N=5 /E=U\n", "/N=5 /E=U"},
        {"/N=5 /E=U\r\n/C=1\r\n", "/N=5 /E=U"},
        {"/N=5", "/N=5"},
        {"/N=5\r", "/N=5\r"},
        {"\n/N=5\n", ""},
        {"", ""},
        {std::string("/F=1,\xFF\x00x\n", 9), std::string("/F=1,\xFF\x00x", 8)},
        {std::string(200000, 'a') + "\nb", std::string(200000, 'a')},
        // A UTF-8 byte-order mark is skipped, and only at the very start.
        {"\xEF\xBB\xBF/N=5 /E=U\r\n", "/N=5 /E=U"},
        {"\xEF\xBB\xBF", ""},
        {"/F=1,\xEF\xBB\xBF\n", "/F=1,\xEF\xBB\xBF"},
    };
    for (const Case& c : cases) {
        const std::string file = dir.File("def.txt");
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.Content;
        EXPECT_EQ(ReadFirstLine(file), c.Line) << c.Content.substr(0, 20);
    }
}

TEST(ReadFirstLine, NamesTheFileAndTheSystemsReason) {
    TTempDir dir;
    const auto messageOf = [](const std::string& path) -> std::string {
        try {
            ReadFirstLine(path);
        } catch (const TGenFailure& e) {
            return e.what();
        }
        return "no failure";
    };
    EXPECT_EQ(messageOf(dir.File("absent")), dir.File("absent") + ": No such file or directory");
    EXPECT_EQ(messageOf(dir.Path()), dir.Path() + ": Is a directory");
    // A file without line ends does not make it read without bound.
    EXPECT_EQ(messageOf("/dev/zero"), "/dev/zero: the first line is longer than 16 MiB");
}

// SPDX-License-Identifier: MIT
// The settings-file engine under bad files and failing file systems: every failure gives
// the runtime's text for its error, and no line the store held is lost.

#include "store/SettingsFile.h"

#include "engine/Exceptions.h"

#include "tests/support/TTempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

Lines Written(TVxIniFile& store) {
    Lines lines;
    store.SaveToStrings(lines);
    return lines;
}

/// Runs action and gives the EInOutError it raises; fails the test when it raises none.
EInOutError IoErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EInOutError& error) {
        return error;
    }
    ADD_FAILURE() << "no EInOutError";
    return EInOutError(0);
}

const std::string ThreeSections = "[RecordDefs]\r\nshort list=/N=5 /F=1,#59\r\nlong=/N=50\r\n\r\n"
                                  "[Other]\r\nk=1\r\n\r\n[Last]\r\nz=9\r\n\r\n";

TEST(VxIniFaults, PathsThatCannotBeReadGiveTheRuntimesTextAndWriteThePreviousFileFirst) {
    struct Case {
        const char* Name;
        std::function<std::string(const TTempDir&)> BadPath;
        int Code;
        const char* Text;
    };
    const Case cases[] = {
        {"a folder",
         [](const TTempDir& dir) {
             fs::create_directory(dir.File("folder.ini"));
             return dir.File("folder.ini");
         },
         EISDIR, "File access denied"},
        {"a name too long",
         [](const TTempDir& dir) { return dir.File(std::string(300, 'n') + ".ini"); }, ENAMETOOLONG,
         "Invalid filename"},
        {"a link to itself",
         [](const TTempDir& dir) {
             fs::create_symlink("loop.ini", dir.File("loop.ini"));
             return dir.File("loop.ini");
         },
         ELOOP, "Invalid filename"},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        const std::string bad = c.BadPath(dir);
        const std::string good = dir.File("good.ini");
        TVxIniFile store(good);
        store.WriteString("s", "k", "pending");
        const EInOutError error = IoErrorOf([&] { store.SetFilePath(bad); });
        EXPECT_EQ(error.ErrorCode(), c.Code) << c.Name;
        EXPECT_EQ(error.Message(), c.Text) << c.Name;
        EXPECT_EQ(error.FileName(), bad) << c.Name;
        // The pending change reached the file bound before, and nothing is bound now, so no
        // later rewrite can go anywhere.
        EXPECT_EQ(ReadBytes(good), "[s]\r\nk=pending\r\n\r\n") << c.Name;
        EXPECT_EQ(store.FilePath(), "") << c.Name;
        EXPECT_EQ(IoErrorOf([&] { TVxIniFile{bad}; }).Message(), c.Text) << c.Name;
    }
}

TEST(VxIniFaults, RewritesThatCannotBeMadeKeepTheChangesForTheNextAttempt) {
    struct Case {
        const char* Name;
        const char* Path;
        std::function<void(const TTempDir&)> Break;
        std::function<void(const TTempDir&)> Mend;
        int Code;
        const char* Text;
    };
    const Case cases[] = {
        {"a folder in its place", "f.ini",
         [](const TTempDir& dir) { fs::create_directory(dir.File("f.ini")); },
         [](const TTempDir& dir) { fs::remove(dir.File("f.ini")); }, EISDIR, "File access denied"},
        {"a file where its folder should be", "plain/f.ini",
         [](const TTempDir& dir) { WriteBytes(dir.File("plain"), "x"); },
         [](const TTempDir& dir) {
             fs::remove(dir.File("plain"));
             fs::create_directory(dir.File("plain"));
         },
         ENOTDIR, "Invalid filename"},
        {"its folder gone", "gone/f.ini", [](const TTempDir&) {},
         [](const TTempDir& dir) { fs::create_directory(dir.File("gone")); }, ENOENT,
         "File not found"},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        const std::string path = dir.File(c.Path);
        TVxIniFile store(path);
        store.WriteString("RecordDefs", "short list", "/N=5");
        c.Break(dir);
        const Lines before = Written(store);
        const Lines names = dir.Names();

        const EInOutError error = IoErrorOf([&] { store.UpdateFile(); });
        EXPECT_EQ(error.ErrorCode(), c.Code) << c.Name;
        EXPECT_EQ(error.Message(), c.Text) << c.Name;
        EXPECT_EQ(error.FileName(), path) << c.Name;
        EXPECT_TRUE(store.Modified()) << c.Name;
        EXPECT_EQ(Written(store), before) << c.Name;
        EXPECT_EQ(dir.Names(), names) << c.Name << ": a temporary file was left behind";

        c.Mend(dir);
        store.UpdateFile();
        EXPECT_FALSE(store.Modified()) << c.Name;
        EXPECT_EQ(ReadBytes(path), "[RecordDefs]\r\nshort list=/N=5\r\n\r\n") << c.Name;
    }
}

/// Random settings-file bytes made of lines: headers, key lines and others, of pieces that
/// are mostly the characters that mean something in such a file, sometimes any byte, and
/// sometimes a run of pieces in quotes; lines end in CR LF, CR or LF.
class TRandomSettings {
public:
    explicit TRandomSettings(unsigned seed) : FRandom(seed) {}

    std::string File(int lineCount) {
        static const char* const lineEnds[] = {"\r\n", "\r", "\n"};
        std::string bytes;
        for (int line = 0; line < lineCount; ++line) {
            const int kind = Below(10);
            if (kind < 2)
                bytes += "[" + Text(0) + "]";
            else if (kind < 9)
                bytes += Text(0) + "=" + Text(0);
            else
                bytes += Text(0);
            bytes += lineEnds[Below(3)];
        }
        return bytes;
    }

private:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }

    std::string Text(int depth) {
        static const char* const pieces[] = {"[", "]", "=", ";", "\"",   "'",    " ",   "\t",
                                             "k", "K", "v", "",  "\x1a", "\xE4", "\xC4"};
        std::string text;
        for (int n = Below(4); n > 0; --n) {
            const int choice = Below(20);
            if (choice < 3 && depth < 2) {
                const char quote = Below(2) == 0 ? '"' : '\'';
                text += quote + Text(depth + 1) + quote;
            } else if (choice < 4) {
                text += static_cast<char>(Below(256));
            } else {
                text += pieces[Below(static_cast<int>(std::size(pieces)))];
            }
        }
        return text;
    }

    std::mt19937 FRandom;
};

TEST(VxIniFaults, RandomBytesLoadAndTheRewriteKeepsEveryLineThatWasRead) {
    TRandomSettings random(20240601);
    TTempDir dir;
    const std::string path = dir.File("random.ini");
    for (int round = 0; round < 300; ++round) {
        WriteBytes(path, random.File(round));
        Lines read;
        {
            TVxIniFile store(path);
            store.WriteString("random", "round", std::to_string(round));
            read = Written(store);
            store.UpdateFile();
        }
        TVxIniFile back(path);
        ASSERT_EQ(Written(back), read) << "round " << round;
    }
}

TEST(VxIniFaults, ValuesThatLoadingWouldChangeSurviveARewrite) {
    struct Case {
        const char* Name;
        std::string File;
        Lines Loaded;
    };
    const Case cases[] = {
        {"a second pair of quotes",
         "[s]\r\nk=''v''\r\nd=\"\"\"\"\r\n",
         {"[s]", "k='v'", "d=\"\"", ""}},
        {"blanks inside the quotes",
         "[s]\r\nk=' v'\r\nt=\"\tw\"\r\n",
         {"[s]", "k= v", "t=\tw", ""}},
        {"a key line that would read as a header",
         "[s]\r\n[k=\"v]\"\r\nm=1\r\n",
         {"[s]", "[k=v]", "m=1", ""}},
        {"lines that need nothing",
         "[s]\r\nk=a\"b\"\r\nq=\"\r\n=  v\r\n",
         {"[s]", "k=a\"b\"", "q=\"", "=  v", ""}},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        const std::string path = dir.File("q.ini");
        WriteBytes(path, c.File);
        {
            TVxIniFile store(path);
            ASSERT_EQ(Written(store), c.Loaded) << c.Name;
            store.WriteString("s", "changed", "1");
        }
        TVxIniFile back(path);
        Lines expected = c.Loaded;
        expected.insert(expected.end() - 1, "changed=1");
        EXPECT_EQ(Written(back), expected) << c.Name;
    }

    TTempDir dir;
    const std::string path = dir.File("w.ini");
    const std::pair<const char*, const char*> written[] = {
        {"quoted", "'v'"}, {"lead", "  v"}, {"pair", "\"\""}, {"[bracket", "v]"}, {"plain", "v"}};
    {
        TVxIniFile store(path);
        for (const auto& [key, value] : written)
            store.WriteString("s", key, value);
    }
    // Only the lines that need it carry one more pair of quotes in the file.
    EXPECT_EQ(ReadBytes(path), "[s]\r\nquoted=\"'v'\"\r\nlead=\"  v\"\r\npair=\"\"\"\"\r\n"
                               "[bracket=\"v]\"\r\nplain=v\r\n\r\n");
    TVxIniFile back(path);
    for (const auto& [key, value] : written)
        EXPECT_EQ(back.ReadString("s", key, "-"), value) << key;
}

TEST(VxIniFaults, TenMegabyteLinesSurviveARewrite) {
    TTempDir dir;
    const std::string path = dir.File("long.ini");
    const std::string longValue(std::size_t{10} * 1024 * 1024, 'v');
    const std::string longName(std::size_t{10} * 1024 * 1024, 'n');
    WriteBytes(path, "[s]\r\nk=" + longValue + "\r\n[" + longName + "]\r\nm=1\r\n");
    {
        TVxIniFile store(path);
        store.WriteString("s", "other", "1");
    }
    TVxIniFile back(path);
    EXPECT_EQ(back.ReadString("s", "k", ""), longValue);
    EXPECT_EQ(back.ReadString(longName, "m", ""), "1");
    EXPECT_EQ(back.ReadString("s", "other", ""), "1");
}

TEST(VxIniFaults, AFileChangedAfterLoadingGetsTheStoresChangesOnWhatItHoldsNow) {
    // What another program did to the file between loading and rewriting stays; only the
    // store's own change is added to it.
    struct Case {
        const char* Name;
        std::function<void(const std::string& path)> Meanwhile;
        std::string Expected;
    };
    const Case cases[] = {
        {"removed", [](const std::string& path) { fs::remove(path); },
         "[RecordDefs]\r\nnew=/C=2\r\n\r\n"},
        {"replaced by another program",
         [](const std::string& path) { WriteBytes(path, "[Other]\r\nk=changed\r\n"); },
         "[Other]\r\nk=changed\r\n\r\n[RecordDefs]\r\nnew=/C=2\r\n\r\n"},
        {"moved away", [](const std::string& path) { fs::rename(path, path + ".moved"); },
         "[RecordDefs]\r\nnew=/C=2\r\n\r\n"},
        {"changed in the same section",
         [](const std::string& path) {
             WriteBytes(path, "[RecordDefs]\r\nlong=/N=51\r\nother=/N=7\r\n\r\n[Last]\r\nz=9\r\n");
         },
         "[RecordDefs]\r\nlong=/N=51\r\nother=/N=7\r\nnew=/C=2\r\n\r\n[Last]\r\nz=9\r\n\r\n"},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        const std::string path = dir.File("tabbit.ini");
        WriteBytes(path, ThreeSections);
        TVxIniFile store(path);
        c.Meanwhile(path);
        store.WriteString("RecordDefs", "new", "/C=2");
        store.UpdateFile();
        EXPECT_EQ(ReadBytes(path), c.Expected) << c.Name;
        // The store holds what it wrote.
        EXPECT_EQ(store.ReadString("RecordDefs", "short list", "-"), "-") << c.Name;
    }

    // With its folder gone too, the rewrite fails, keeps everything, and succeeds once the
    // folder is back.
    TTempDir dir;
    fs::create_directory(dir.File("sub"));
    const std::string path = dir.File("sub/tabbit.ini");
    WriteBytes(path, ThreeSections);
    TVxIniFile store(path);
    fs::remove_all(dir.File("sub"));
    store.WriteString("Last", "z", "10");
    EXPECT_EQ(IoErrorOf([&] { store.UpdateFile(); }).Message(), "File not found");
    EXPECT_TRUE(store.Modified());
    EXPECT_EQ(store.ReadString("RecordDefs", "long", ""), "/N=50");
    fs::create_directory(dir.File("sub"));
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "[Last]\r\nz=10\r\n\r\n");
}

/// Runs action and gives the message of the Exception it raises; fails the test when it raises
/// none, or an EInOutError.
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EInOutError& error) {
        ADD_FAILURE() << "EInOutError " << error.Message();
        return {};
    } catch (const Exception& error) {
        return error.Message();
    }
    ADD_FAILURE() << "no Exception";
    return {};
}

TEST(VxIniFaults, OnlyRegularFilesOfASaneSizeAreRead) {
    // Each would never end, block, or fill the memory if it were read as a file.
    struct Case {
        const char* Name;
        std::function<std::string(const TTempDir&)> MakePath;
        std::string Text;
    };
    const std::string tooLarge = "Settings file too large";
    const Case cases[] = {
        {"an endless device", [](const TTempDir&) { return std::string("/dev/zero"); },
         "Not a regular file: /dev/zero"},
        {"a pipe without a writer",
         [](const TTempDir& dir) {
             const std::string path = dir.File("fifo.ini");
             EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
             return path;
         },
         "Not a regular file: "},
        {"a link to a device",
         [](const TTempDir& dir) {
             fs::create_symlink("/dev/urandom", dir.File("random.ini"));
             return dir.File("random.ini");
         },
         "Not a regular file: "},
        {"a sparse file of 257 MB",
         [](const TTempDir& dir) {
             const std::string path = dir.File("huge.ini");
             WriteBytes(path, "[s]\r\nk=1\r\n");
             fs::resize_file(path, std::uintmax_t{257} * 1024 * 1024);
             return path;
         },
         tooLarge},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        const std::string bad = c.MakePath(dir);
        const std::string expected = c.Text == tooLarge ? tooLarge : "Not a regular file: " + bad;
        EXPECT_EQ(MessageOf([&] { TVxIniFile{bad}; }), expected) << c.Name;

        // A store bound before writes its changes first and is bound to nothing after.
        const std::string good = dir.File("good.ini");
        TVxIniFile store(good);
        store.WriteString("s", "k", "pending");
        EXPECT_EQ(MessageOf([&] { store.SetFilePath(bad); }), expected) << c.Name;
        EXPECT_EQ(store.FilePath(), "") << c.Name;
        EXPECT_EQ(ReadBytes(good), "[s]\r\nk=pending\r\n\r\n") << c.Name;
    }
}

TEST(VxIniFaults, ARewriteRefusesAFileThatIsNoLongerARegularOne) {
    TTempDir dir;
    const std::string path = dir.File("tabbit.ini");
    WriteBytes(path, ThreeSections);
    TVxIniFile store(path);
    store.WriteString("RecordDefs", "new", "/C=2");
    const Lines before = Written(store);
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(MessageOf([&] { store.UpdateFile(); }), "Not a regular file: " + path);
    EXPECT_TRUE(store.Modified());
    EXPECT_EQ(Written(store), before);
    EXPECT_EQ(dir.Names(), Lines{"tabbit.ini"});
    fs::remove(path);
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "[RecordDefs]\r\nnew=/C=2\r\n\r\n");
}

TEST(VxIniFaults, APathIsUsedWithItsBytesUnchanged) {
    // Not UTF-8: a conversion on the way would name another file.
    TTempDir dir;
    const std::string name = "bad\xff\xfe name.ini";
    {
        TVxIniFile store(dir.File(name));
        store.WriteString("RecordDefs", "k", "/N=1");
        store.UpdateFile();
    }
    EXPECT_EQ(dir.Names(), Lines{name});
    EXPECT_EQ(TVxIniFile(dir.File(name)).ReadString("RecordDefs", "k", ""), "/N=1");
}

/// The checks of a rewrite broken off by the file-size limit, run in a child process
/// because the limit holds for the whole process. Each failed check is printed; the result
/// is the number of failures.
int RewriteUnderFileSizeLimit(const TTempDir& dir) {
    int failures = 0;
    const auto check = [&failures](bool ok, const char* what) {
        if (!ok) {
            std::fprintf(stderr, "failed: %s\n", what);
            ++failures;
        }
    };
    const std::string path = dir.File("big.ini");
    const std::string old = "[s]\r\nold=1\r\n";
    WriteBytes(path, old);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    rlimit small = unlimited;
    small.rlim_cur = 4096;

    TVxIniFile store(path);
    const std::string big(std::size_t{256} * 1024, 'v');
    store.WriteString("s", "new", big);
    ::setrlimit(RLIMIT_FSIZE, &small);
    try {
        store.UpdateFile();
        check(false, "the rewrite failed");
    } catch (const EInOutError& error) {
        check(error.ErrorCode() == EFBIG, "the error is EFBIG");
        check(error.Message() == EInOutError::RuntimeText(EFBIG), "the runtime's text");
        check(error.FileName() == path, "the error names the settings file");
    }
    check(store.Modified(), "the store is still modified");
    check(ReadBytes(path) == old, "the previous file is whole");
    check(dir.Names() == Lines{"big.ini"}, "no temporary file is left");

    // The next attempt, with room again, writes what the failed one could not.
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    store.UpdateFile();
    check(TVxIniFile(path).ReadString("s", "new", "") == big, "the retry writes the change");

    // A rewrite that fails at destruction leaves the file of the retry as it was.
    const std::string retried = ReadBytes(path);
    ::setrlimit(RLIMIT_FSIZE, &small);
    {
        TVxIniFile late(path);
        late.WriteString("s", "later", big);
    }
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    check(ReadBytes(path) == retried, "a failed rewrite at destruction keeps the file");
    check(dir.Names() == Lines{"big.ini"}, "no temporary file is left at destruction");
    return failures;
}

TEST(VxIniFaultsDeathTest, AWriteFailureHalfwayKeepsThePreviousFile) {
    TTempDir dir;
    EXPECT_EXIT(std::_Exit(RewriteUnderFileSizeLimit(dir)), testing::ExitedWithCode(0), "");
}

} // namespace

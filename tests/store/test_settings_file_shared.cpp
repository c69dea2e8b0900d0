// SPDX-License-Identifier: MIT
// One settings file changed by several processes at once, and by processes killed halfway
// through a rewrite: no change reported as done is lost, and nothing is left behind.

#include "store/SettingsFile.h"

#include "engine/Exceptions.h"

#include "tests/support/TTempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

const std::string Defs = "RecordDefs";

/// Runs body in a child process; gives the child's wait status.
int InChild(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0)
        std::_Exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

std::string Name(int process, int n) {
    return "p" + std::to_string(process) + "-" + std::to_string(n);
}

/// Saves count definitions as the manage dialog does, each with a store of its own, and
/// renames every tenth afterwards (the new line written, the old one deleted). Gives the
/// number of saves that failed.
int SaveLikeTheDialog(const std::string& path, int process, int count) {
    int failures = 0;
    for (int n = 0; n < count; ++n) {
        try {
            {
                TVxIniFile store(path);
                store.WriteString(Defs, Name(process, n), "/N=" + std::to_string(n));
                store.UpdateFile();
            }
            if (n % 10 == 0) {
                TVxIniFile store(path);
                const std::string value = store.ReadString(Defs, Name(process, n), "");
                store.WriteString(Defs, Name(process, n) + " renamed", value);
                store.DeleteKey(Defs, Name(process, n));
                store.UpdateFile();
            }
        } catch (const std::exception&) {
            ++failures;
        }
    }
    return failures;
}

TEST(VxIniShared, SavesOfSeveralProcessesAtOnceAreAllKept) {
    constexpr int Processes = 4;
    constexpr int Saves = 250;
    TTempDir dir;
    const std::string path = dir.File("tabbit.ini");
    WriteBytes(path, "[RecordDefs]\r\nfirst=/N=1\r\n\r\n[Other]\r\nk=v\r\n\r\n");

    std::vector<pid_t> children;
    for (int p = 0; p < Processes; ++p) {
        const pid_t child = ::fork();
        if (child == 0)
            std::_Exit(SaveLikeTheDialog(path, p, Saves) == 0 ? 0 : 1);
        ASSERT_GT(child, 0);
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
    }

    std::set<std::string> expected{"first"};
    for (int p = 0; p < Processes; ++p)
        for (int n = 0; n < Saves; ++n)
            expected.insert(n % 10 == 0 ? Name(p, n) + " renamed" : Name(p, n));
    TVxIniFile back(path);
    Lines names;
    back.ReadSection(Defs, names);
    EXPECT_EQ(names.size(), expected.size()) << "a name is lost or doubled";
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expected);
    EXPECT_EQ(back.ReadString(Defs, Name(3, 249), ""), "/N=249");
    EXPECT_EQ(back.ReadString(Defs, Name(2, 240) + " renamed", ""), "/N=240");
    EXPECT_EQ(back.ReadString("Other", "k", ""), "v");
    EXPECT_EQ(dir.Names(), Lines{"tabbit.ini"});
}

TEST(VxIniShared, ARewriteKilledHalfwayLeavesTheFileWholeAndTheNextRewriteCleansUp) {
    TTempDir dir;
    const std::string path = dir.File("tabbit.ini");
    const std::string old = "[RecordDefs]\r\nold=/N=1\r\n\r\n";
    WriteBytes(path, old);
    // The file-size limit kills the writing process with SIGXFSZ in the middle of the
    // temporary file, as a kill or a crash would.
    const int status = InChild([&path] {
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        TVxIniFile store(path);
        store.WriteString(Defs, "big", std::string(std::size_t{64} * 1024, 'v'));
        const rlimit small{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &small);
        store.UpdateFile();
        return 0;
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;
    EXPECT_EQ(ReadBytes(path), old);
    Lines left = dir.Names();
    ASSERT_EQ(left.size(), 3U) << "the killed rewrite left its temporary and its lock file";
    EXPECT_EQ(left[1], "tabbit.ini.lock");
    EXPECT_EQ(left[2].substr(0, 18), "tabbit.ini.saving-");
    EXPECT_EQ(left[2].size(), 24U);

    // Files of similar names that are not this file's temporary files stay.
    const Lines foreign{"other.ini.saving-Ab3xZ9",  "tabbit.ini.backup",
                        "tabbit.ini.saving-ABCDE",  "tabbit.ini.saving-ABCDEFG",
                        "tabbit.ini.saving-AB_DEF", "tabbit.ini.savingAb3xZ9X",
                        "tabbit.ini2.saving-Ab3xZ9"};
    for (const std::string& name : foreign)
        WriteBytes(dir.File(name), "x");
    WriteBytes(dir.File("tabbit.ini.saving-Q7w8E9"), "stale");
    fs::create_directory(dir.File("tabbit.ini.saving-DIRDIR"));

    // Reading alone changes nothing.
    TVxIniFile reader(path);
    EXPECT_EQ(dir.Names().size(), 3U + foreign.size() + 2);

    TVxIniFile store(path);
    store.WriteString(Defs, "new", "/N=2");
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "[RecordDefs]\r\nold=/N=1\r\nnew=/N=2\r\n\r\n");
    Lines expected = foreign;
    expected.push_back("tabbit.ini");
    expected.push_back("tabbit.ini.saving-DIRDIR");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.Names(), expected);
}

TEST(VxIniShared, ARewriteThatCannotLockFailsAndKeepsItsChanges) {
    TTempDir dir;
    const std::string path = dir.File("tabbit.ini");
    WriteBytes(path, "[RecordDefs]\r\nold=/N=1\r\n\r\n");
    TVxIniFile store(path);
    store.WriteString(Defs, "new", "/N=2");
    // Something that is not a lock file in the lock file's place.
    fs::create_directory(path + ".lock");
    try {
        store.UpdateFile();
        FAIL() << "a rewrite without its lock succeeded";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), EISDIR);
        EXPECT_EQ(error.FileName(), path);
    }
    EXPECT_TRUE(store.Modified());
    EXPECT_EQ(ReadBytes(path), "[RecordDefs]\r\nold=/N=1\r\n\r\n");
    fs::remove(path + ".lock");
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "[RecordDefs]\r\nold=/N=1\r\nnew=/N=2\r\n\r\n");
}

TEST(VxIniShared, ALinkedSettingsFileIsLockedAndCleanedBesideTheFileItLeadsTo) {
    TTempDir dir;
    fs::create_directory(dir.File("real"));
    WriteBytes(dir.File("real/t.ini"), "[s]\r\nk=1\r\n");
    WriteBytes(dir.File("real/t.ini.saving-a1b2c3"), "stale");
    fs::create_symlink("real/t.ini", dir.File("link.ini"));
    {
        TVxIniFile store(dir.File("link.ini"));
        store.WriteString("s", "k", "2");
        store.UpdateFile();
    }
    EXPECT_TRUE(fs::is_symlink(dir.File("link.ini")));
    EXPECT_EQ(ReadBytes(dir.File("real/t.ini")), "[s]\r\nk=2\r\n\r\n");
    EXPECT_FALSE(fs::exists(dir.File("real/t.ini.saving-a1b2c3")));
    EXPECT_FALSE(fs::exists(dir.File("real/t.ini.lock")));
}

} // namespace

// SPDX-License-Identifier: MIT
// How a rewrite reaches the disk: through chains of symbolic links, keeping the file's owner,
// waiting a bounded time for another program's lock, and saying what failed and where.

#include "store/SettingsFile.h"

#include "engine/Exceptions.h"
#include "store/FileLock.h"
#include "store/SettingsFileError.h"

#include "tests/support/TTempDir.h"
#include "tests/support/Unprivileged.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uid_t Nobody = 65534;

/// The error a rewrite raises, with the message it carries; fails the test without one.
struct TFailure {
    int Code = 0;
    std::string FileName;
    std::string Message;
};

TFailure FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EInOutError& error) {
        return {error.ErrorCode(), error.FileName(), error.what()};
    }
    ADD_FAILURE() << "no EInOutError";
    return {};
}

/// Holds the lock of a settings file as another program would: flock on an open file
/// description of its own, which this process's rewrites cannot share.
class THeldLock {
public:
    explicit THeldLock(const std::string& lockPath)
        : FFd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        EXPECT_GE(FFd, 0);
        EXPECT_EQ(::flock(FFd, LOCK_EX), 0);
    }
    THeldLock(const THeldLock&) = delete;
    THeldLock& operator=(const THeldLock&) = delete;
    ~THeldLock() { Release(); }
    void Release() {
        if (FFd >= 0) {
            ::close(FFd);
            FFd = -1;
        }
    }

private:
    int FFd;
};

TEST(VxIniLinks, ASaveThroughLinksWritesTheEndOfTheChainAndKeepsEveryLink) {
    struct Case {
        const char* Name;
        // Makes the links in dir and gives the path the store is bound to.
        std::function<std::string(const TTempDir&)> Links;
        const char* Target;
    };
    const Case cases[] = {
        {"one link to a missing file",
         [](const TTempDir& dir) {
             fs::create_symlink("real/t.ini", dir.File("tabbit.ini"));
             return dir.File("tabbit.ini");
         },
         "real/t.ini"},
        {"a chain of relative links through other folders",
         [](const TTempDir& dir) {
             fs::create_directory(dir.File("conf"));
             fs::create_symlink("../middle.ini", dir.File("conf/tabbit.ini"));
             fs::create_symlink("real/t.ini", dir.File("middle.ini"));
             return dir.File("conf/tabbit.ini");
         },
         "real/t.ini"},
        {"an absolute link to a missing file",
         [](const TTempDir& dir) {
             fs::create_symlink(dir.File("real/abs.ini"), dir.File("tabbit.ini"));
             return dir.File("tabbit.ini");
         },
         "real/abs.ini"},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        fs::create_directory(dir.File("real"));
        const std::string path = c.Links(dir);
        for (const char* value : {"1", "2"}) {
            TVxIniFile store(path);
            store.WriteString("RecordDefs", "k", value);
            store.UpdateFile();
        }
        EXPECT_TRUE(fs::is_symlink(path)) << c.Name;
        EXPECT_EQ(ReadBytes(dir.File(c.Target)), "[RecordDefs]\r\nk=2\r\n\r\n") << c.Name;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.File(c.Target)))) << c.Name;
        EXPECT_FALSE(fs::exists(dir.File(std::string(c.Target) + ".lock"))) << c.Name;
    }
}

TEST(VxIniLinks, ProgramsSavingThroughDifferentLinksShareOneFileAndOneLock) {
    TTempDir dir;
    fs::create_directory(dir.File("real"));
    const std::string links[] = {dir.File("a.ini"), dir.File("b.ini"), dir.File("c.ini")};
    for (const std::string& link : links) {
        fs::create_symlink("real/t.ini", link);
    }
    // Each program loaded the file before any of them saved.
    TVxIniFile a(links[0]);
    TVxIniFile b(links[1]);
    TVxIniFile c(links[2]);
    a.WriteString("RecordDefs", "a", "/N=1");
    b.WriteString("RecordDefs", "b", "/N=2");
    c.WriteString("RecordDefs", "c", "/N=3");
    a.UpdateFile();
    b.UpdateFile();
    {
        // The lock of the file the links lead to holds back a save through any of them.
        const THeldLock held(dir.File("real/t.ini.lock"));
        c.LockTimeout = 50ms;
        EXPECT_EQ(FailureOf([&] { c.UpdateFile(); }).Code, EWOULDBLOCK);
    }
    c.UpdateFile();
    for (const std::string& link : links) {
        EXPECT_TRUE(fs::is_symlink(link)) << link;
    }
    EXPECT_EQ(ReadBytes(dir.File("real/t.ini")),
              "[RecordDefs]\r\na=/N=1\r\nb=/N=2\r\nc=/N=3\r\n\r\n");
}

TEST(VxIniLinks, ALoopOfLinksIsRefusedWithTheFilesName) {
    TTempDir dir;
    const std::string path = dir.File("tabbit.ini");
    TVxIniFile store(path);
    store.WriteString("RecordDefs", "k", "1");
    // Made after loading, as another program might.
    fs::create_symlink("other.ini", path);
    fs::create_symlink("tabbit.ini", dir.File("other.ini"));
    const TFailure failure = FailureOf([&] { store.UpdateFile(); });
    EXPECT_EQ(failure.Code, ELOOP);
    EXPECT_EQ(failure.FileName, path);
    EXPECT_EQ(failure.Message, "Cannot save the settings file " + path +
                                   ": its symbolic links lead round in a circle");
    EXPECT_TRUE(store.Modified());
    EXPECT_TRUE(fs::is_symlink(path));
    fs::remove(dir.File("other.ini"));
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(dir.File("other.ini")), "[RecordDefs]\r\nk=1\r\n\r\n");
}

TEST(VxIniOwner, ARewriteByRootKeepsTheFilesOwnerGroupAndMode) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    for (const mode_t mode : {0644, 0600, 0664}) {
        TTempDir dir;
        const std::string path = dir.File("tabbit.ini");
        WriteBytes(path, "[RecordDefs]\r\nold=/N=1\r\n");
        ASSERT_EQ(::chown(path.c_str(), Nobody, Nobody), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        TVxIniFile store(path);
        store.WriteString("RecordDefs", "new", "/N=2");
        store.UpdateFile();
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, Nobody) << std::oct << mode;
        EXPECT_EQ(info.st_gid, Nobody) << std::oct << mode;
        EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(ReadBytes(path), "[RecordDefs]\r\nold=/N=1\r\nnew=/N=2\r\n\r\n");
    }
}

TEST(VxIniOwner, AUserWhoCannotKeepTheOwnerDoesNotTakeTheFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs files of another user, which only root can make";
    }
    struct Case {
        const char* Name;
        uid_t Owner;
        gid_t Group;
        mode_t Mode;
        bool Saved;
    };
    // Saved by user nobody, who may write each of these files.
    const Case cases[] = {
        {"root's file, writable by all", 0, 0, 0666, false},
        {"nobody's file in root's group, which may write it", Nobody, 0, 0666 & ~0002, false},
        {"nobody's file in root's group, which gets no more than all", Nobody, 0, 0644, true},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
        const std::string path = dir.File("tabbit.ini");
        const std::string before = "[RecordDefs]\r\nold=/N=1\r\n";
        WriteBytes(path, before);
        ASSERT_EQ(::chown(path.c_str(), c.Owner, c.Group), 0);
        ASSERT_EQ(::chmod(path.c_str(), c.Mode), 0);
        const bool saved = c.Saved;
        AsUnprivilegedUser([&path, saved] {
            TVxIniFile store(path);
            store.WriteString("RecordDefs", "new", "/N=2");
            if (saved) {
                store.UpdateFile();
                return;
            }
            const TFailure failure = FailureOf([&] { store.UpdateFile(); });
            EXPECT_EQ(failure.Code, EPERM);
            EXPECT_EQ(failure.Message.rfind("Cannot save the settings file " + path +
                                                ": its owner and group cannot be kept: ",
                                            0),
                      0U)
                << failure.Message;
            EXPECT_TRUE(store.Modified());
        });
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, c.Owner) << c.Name;
        EXPECT_EQ(ReadBytes(path) == before, !c.Saved) << c.Name;
    }
}

TEST(VxIniLock, AHeldLockIsWaitedForABoundedTimeWhileTheCallerStaysResponsive) {
    TTempDir dir;
    const std::string path = dir.File("tabbit.ini");
    WriteBytes(path, "[RecordDefs]\r\nold=/N=1\r\n\r\n");
    THeldLock held(path + ".lock");
    TVxIniFile store(path);
    store.WriteString("RecordDefs", "new", "/N=2");
    store.LockTimeout = 200ms;
    int waits = 0;
    store.OnLockWait = [&waits] { ++waits; };
    const auto start = std::chrono::steady_clock::now();
    const TFailure failure = FailureOf([&] { store.UpdateFile(); });
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(failure.Code, EWOULDBLOCK);
    EXPECT_EQ(failure.FileName, path);
    EXPECT_EQ(failure.Message,
              "The settings file " + path + " is being saved by another program; try again.");
    EXPECT_EQ(failure.Message, TFileLock::BusyMessage(path));
    EXPECT_GE(waited, 200ms);
    EXPECT_GT(waits, 1);
    EXPECT_TRUE(store.Modified());
    EXPECT_EQ(ReadBytes(path), "[RecordDefs]\r\nold=/N=1\r\n\r\n");

    // Let go while a save waits, the lock is taken at once and the save goes ahead.
    store.LockTimeout = 60s;
    store.OnLockWait = [&held, &waits] {
        if (--waits <= 0) {
            held.Release();
        }
    };
    waits = 3;
    store.UpdateFile();
    EXPECT_FALSE(store.Modified());
    EXPECT_EQ(ReadBytes(path), "[RecordDefs]\r\nold=/N=1\r\nnew=/N=2\r\n\r\n");
}

TEST(VxIniLock, MachineryFailuresNameTheSettingsFileAndTheCause) {
    struct Case {
        const char* Name;
        std::function<void(const std::string& path)> Break;
        int Code;
        std::function<std::string(const std::string& path)> Message;
    };
    const Case cases[] = {
        {"a folder in the lock's place",
         [](const std::string& path) { fs::create_directory(path + ".lock"); }, EISDIR,
         [](const std::string& path) {
             return "Cannot lock the settings file " + path + ": " + path + ".lock is a folder";
         }},
        {"a symbolic link in the lock's place",
         [](const std::string& path) { fs::create_symlink("elsewhere", path + ".lock"); }, ELOOP,
         [](const std::string& path) {
             return "Cannot lock the settings file " + path + ": " + path +
                    ".lock is a symbolic link";
         }},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        const std::string path = dir.File("tabbit.ini");
        TVxIniFile store(path);
        store.WriteString("RecordDefs", "k", "1");
        c.Break(path);
        const TFailure failure = FailureOf([&] { store.UpdateFile(); });
        EXPECT_EQ(failure.Code, c.Code) << c.Name;
        EXPECT_EQ(failure.FileName, path) << c.Name;
        EXPECT_EQ(failure.Message, c.Message(path)) << c.Name;
        EXPECT_FALSE(fs::exists(path)) << c.Name;
    }

    // A temporary file whose name the file system refuses, while the settings file's is fine.
    TTempDir dir;
    const std::string path = dir.File(std::string(246, 'n') + ".ini");
    TVxIniFile store(path);
    store.WriteString("RecordDefs", "k", "1");
    const TFailure failure = FailureOf([&] { store.UpdateFile(); });
    EXPECT_EQ(failure.Code, ENAMETOOLONG);
    EXPECT_EQ(failure.Message, "Cannot save the settings file " + path +
                                   ": cannot make a temporary file beside it: File name too long");
}

} // namespace

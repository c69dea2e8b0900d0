// SPDX-License-Identifier: MIT
// The saved record definitions of a settings file: the names, loading by name, and the
// checks and the file's content after Save, Rename and Delete.

#include "store/SavedDefinitions.h"

#include "engine/Exceptions.h"
#include "store/SettingsFileError.h"

#include "tests/support/TTempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Names = std::vector<std::string>;

const std::string Defs = "[RecordDefs]\r\nshort list=/N=5\r\n\xC4pfel=/H=3\r\n\r\n"
                         "[Other]\r\nk=v\r\n\r\n";

/// The message of the Exception action raises; empty, and a failed test, without one.
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.what();
    }
    ADD_FAILURE() << "no Exception";
    return {};
}

class SavedDefinitions : public ::testing::Test {
protected:
    void SetUp() override { WriteBytes(Path, Defs); }

    TTempDir Dir;
    const std::string Path = Dir.File("tabbit.ini");
    TSavedDefinitions Saved{Path};
};

TEST_F(SavedDefinitions, ListsAndLoadsWithoutRegardToCase) {
    EXPECT_EQ(Saved.Names(), (Names{"short list", "\xC4pfel"}));
    struct Case {
        std::string Name;
        std::optional<std::string> Definition;
    };
    const Case cases[] = {
        {"short list", "/N=5"},        {"SHORT LIST", "/N=5"}, {"\xE4PFEL", "/H=3"},
        {"short", std::nullopt},       {"k", std::nullopt},    {"", std::nullopt},
        {"short list ", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Saved.Load(c.Name), c.Definition) << c.Name;
    }
    EXPECT_EQ(TSavedDefinitions(Dir.File("missing.ini")).Names(), Names{});
    EXPECT_EQ(TSavedDefinitions(Dir.File("missing.ini")).Load("x"), std::nullopt);
}

TEST_F(SavedDefinitions, RefusedNamesChangeNothing) {
    struct Case {
        const char* Operation;
        std::string Name;
        std::string Message;
    };
    const std::string storable = "Name must not contain \"=\" or begin with \";\" or \"[\"!";
    const Case cases[] = {
        {"save", "", "Empty name not valid!"},
        {"save", "Short List", "Duplicate name for record definition!"},
        {"save", "\xE4pfel", "Duplicate name for record definition!"},
        {"save", "a=b", storable},
        {"save", ";comment", storable},
        {"save", "[section]", storable},
        {"rename", "", "Empty name not valid!"},
        {"rename", "short list", "Name not changed!"},
        {"rename", "Short List", "Duplicate name for record definition!"},
        {"rename", "\xC4PFEL", "Duplicate name for record definition!"},
        {"rename", "x=y", storable},
    };
    for (const Case& c : cases) {
        const std::string message = MessageOf([&] {
            if (std::string(c.Operation) == "save") {
                Saved.Save(c.Name, "/N=9");
            } else {
                Saved.Rename("short list", c.Name);
            }
        });
        EXPECT_EQ(message, c.Message) << c.Operation << " " << c.Name;
        EXPECT_EQ(ReadBytes(Path), Defs) << c.Operation << " " << c.Name;
    }
}

TEST_F(SavedDefinitions, ChangesReachTheFileAtOnce) {
    Saved.Save("new", "/R=7 /N=2");
    EXPECT_EQ(ReadBytes(Path),
              "[RecordDefs]\r\nshort list=/N=5\r\n\xC4pfel=/H=3\r\nnew=/R=7 /N=2\r\n\r\n"
              "[Other]\r\nk=v\r\n\r\n");
    // A renamed definition moves to the end.
    Saved.Rename("short list", "Long List");
    EXPECT_EQ(Saved.Names(), (Names{"\xC4pfel", "new", "Long List"}));
    EXPECT_EQ(Saved.Load("long list"), "/N=5");
    Saved.Delete("\xE4PFEL");
    Saved.Delete("not there");
    EXPECT_EQ(ReadBytes(Path), "[RecordDefs]\r\nnew=/R=7 /N=2\r\nLong List=/N=5\r\n\r\n"
                               "[Other]\r\nk=v\r\n\r\n");

    // The first save makes the file.
    TSavedDefinitions fresh(Dir.File("first.ini"));
    fresh.Save("only", "/N=1");
    EXPECT_EQ(ReadBytes(Dir.File("first.ini")), "[RecordDefs]\r\nonly=/N=1\r\n\r\n");
}

TEST_F(SavedDefinitions, FailuresNameTheSettingsFileAndTheCause) {
    struct Case {
        const char* Name;
        std::string IniPath;
        std::function<void(TSavedDefinitions&)> Action;
        int Code;
        std::string Message;
    };
    fs::create_directory(Dir.File("folder.ini"));
    const std::string missing = Dir.File("config/tabbit.ini");
    const std::string folder = Dir.File("folder.ini");
    const Case cases[] = {
        {"saved into a folder that does not exist", missing,
         [](TSavedDefinitions& s) { s.Save("x", "/N=1"); }, ENOENT,
         "Cannot save the settings file " + missing + ": its folder " + Dir.File("config") +
             " does not exist"},
        {"listed from a folder", folder, [](TSavedDefinitions& s) { s.Names(); }, EISDIR,
         "Cannot read the settings file " + folder + ": it is a folder"},
        {"saved over a folder", folder, [](TSavedDefinitions& s) { s.Save("x", "/N=1"); }, EISDIR,
         "Cannot read the settings file " + folder + ": it is a folder"},
    };
    for (const Case& c : cases) {
        TSavedDefinitions saved(c.IniPath);
        try {
            c.Action(saved);
            ADD_FAILURE() << c.Name << ": no error";
        } catch (const ESettingsFileError& error) {
            EXPECT_EQ(error.ErrorCode(), c.Code) << c.Name;
            EXPECT_EQ(error.FileName(), c.IniPath) << c.Name;
            EXPECT_EQ(std::string(error.what()), c.Message) << c.Name;
        }
    }
    EXPECT_FALSE(fs::exists(Dir.File("config")));
}

TEST_F(SavedDefinitions, ReadingNeedsNoLockAndAChangeWaitsForOneABoundedTime) {
    // Another program holds the lock for as long as this test runs.
    const int fd = ::open((Path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_EQ(Saved.Names(), (Names{"short list", "\xC4pfel"}));
    EXPECT_EQ(Saved.Load("short list"), "/N=5");

    Saved.LockTimeout = 100ms;
    int waits = 0;
    Saved.OnLockWait = [&waits] { ++waits; };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MessageOf([&] { Saved.Save("new", "/N=2"); }),
              "The settings file " + Path + " is being saved by another program; try again.");
    // Only one wait: the store's release does not try (and wait) again.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_GT(waits, 0);
    EXPECT_EQ(ReadBytes(Path), Defs);
    ::close(fd);
    Saved.Save("new", "/N=2");
    EXPECT_EQ(Saved.Load("new"), "/N=2");
}

} // namespace

// SPDX-License-Identifier: MIT
#include "platform/AppPaths.h"

#include "tests/support/TTempDir.h"
#include "tests/support/Unprivileged.h"
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

/// Sets (or, with no value, removes) an environment variable until the end of the scope.
class TEnvironment {
public:
    TEnvironment(const char* name, const std::optional<std::string>& value) : FName(name) {
        if (const char* old = std::getenv(name))
            FOld = old;
        Set(value);
    }
    TEnvironment(const TEnvironment&) = delete;
    TEnvironment& operator=(const TEnvironment&) = delete;
    ~TEnvironment() { Set(FOld); }

private:
    void Set(const std::optional<std::string>& value) const {
        if (value)
            ::setenv(FName.c_str(), value->c_str(), 1);
        else
            ::unsetenv(FName.c_str());
    }

    std::string FName;
    std::optional<std::string> FOld;
};

} // namespace

// Runs as root too: root may write into any bin folder, and an installed program must still
// keep its settings in the user's folder.
TEST(ChooseIniPath, AnInstalledProgramKeepsItsSettingsInTheUsersConfigurationFolder) {
    struct Case {
        const char* Name;
        std::string Prefix;
        bool Installed;
        bool FileBeside;
        bool InConfig;
    };
    const Case cases[] = {
        {"installed", "usr", true, false, true},
        {"installed with a settings file beside it", "usr", true, true, false},
        {"not installed", "build", false, false, false},
        {"not installed with a settings file beside it", "build", false, true, false},
        // Bytes that are no UTF-8 must reach the file system unchanged.
        {"installed in a folder named in no UTF-8", "pre\xff", true, false, true},
        {"not installed in a folder named in no UTF-8", "pre\xff", false, false, false},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        const TEnvironment config("XDG_CONFIG_HOME", dir.File("config\xfe"));
        const std::string prefix = dir.File(c.Prefix);
        fs::create_directories(prefix + "/bin");
        if (c.Installed)
            fs::create_directories(prefix + "/share/tabbit/help");
        if (c.FileBeside)
            WriteBytes(prefix + "/bin/tabbit.ini", "[RecordDefs]\r\n");
        const std::string exe = prefix + "/bin/tabbit";
        EXPECT_EQ(IsInstalledProgram(exe), c.Installed) << c.Name;
        const std::string chosen = ChooseIniPath(exe, UserConfigDir());
        if (c.InConfig) {
            EXPECT_EQ(chosen, dir.File("config\xfe/tabbit/tabbit.ini")) << c.Name;
            EXPECT_TRUE(fs::is_directory(dir.File("config\xfe/tabbit"))) << c.Name;
        } else {
            EXPECT_EQ(chosen, prefix + "/bin/tabbit.ini") << c.Name;
            EXPECT_FALSE(fs::exists(dir.File("config\xfe"))) << c.Name;
        }
    }
}

TEST(UserConfigDir, FollowsXdgConfigHomeOrElseTheHomeFolder) {
    struct Case {
        const char* Name;
        std::optional<std::string> XdgConfigHome;
        std::string Expected;
    };
    const Case cases[] = {
        {"set", "/x/conf", "/x/conf/tabbit"},
        {"unset", std::nullopt, "/home/u/.config/tabbit"},
        {"empty", "", "/home/u/.config/tabbit"},
        {"relative, which is to be ignored", "conf", "/home/u/.config/tabbit"},
    };
    const TEnvironment home("HOME", "/home/u");
    for (const Case& c : cases) {
        const TEnvironment config("XDG_CONFIG_HOME", c.XdgConfigHome);
        EXPECT_EQ(UserConfigDir(), c.Expected) << c.Name;
    }
}

TEST(WindowProgramIniPath, IsTheChoiceForTheWindowProgramBesideThisExecutable) {
    // The tests run from the build tree, which is no installed program; should it ever look
    // like one, the user's folder stays untouched all the same.
    TTempDir dir;
    const TEnvironment config("XDG_CONFIG_HOME", dir.Path());
    const fs::path self = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(ExecutablePath(), self.string());
    EXPECT_EQ(WindowProgramIniPath(), (self.parent_path() / "tabbit.ini").string());
}

TEST(ChooseIniPath, BesideAWritableExecutable) {
    TTempDir dir;
    EXPECT_EQ(ChooseIniPath(dir.File("tabbit"), dir.File("config")), dir.File("tabbit.ini"));
    EXPECT_EQ(ChooseIniPath(dir.File("tabbit.exe"), dir.File("config")), dir.File("tabbit.ini"));
    EXPECT_FALSE(fs::exists(dir.File("config")));
}

TEST(ChooseIniPath, UserConfigurationForAnInstalledProgram) {
    AsUnprivilegedUser([] {
        TTempDir dir;
        fs::create_directory(dir.File("bin"));
        fs::permissions(dir.File("bin"), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(ChooseIniPath(dir.File("bin/tabbit"), dir.File("config")),
                  dir.File("config/tabbit.ini"));
        EXPECT_TRUE(fs::is_directory(dir.File("config")));
        fs::permissions(dir.File("bin"), fs::perms::owner_all);
    });
}

TEST(ChooseIniPath, AProgramThatOnlyReadsCreatesNoFolder) {
    AsUnprivilegedUser([] {
        TTempDir dir;
        fs::create_directory(dir.File("bin"));
        fs::permissions(dir.File("bin"), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(ChooseIniPath(dir.File("bin/tabbit"), dir.File("config"), TIniUse::ReadOnly),
                  dir.File("config/tabbit.ini"));
        EXPECT_FALSE(fs::exists(dir.File("config")));
        fs::permissions(dir.File("bin"), fs::perms::owner_all);
    });
}

TEST(ChooseIniPath, AnExistingFileBesideTheProgramWins) {
    TTempDir dir;
    std::ofstream(dir.File("tabbit.ini")) << "[RecordDefs]\r\n";
    EXPECT_EQ(ChooseIniPath(dir.File("tabbit"), dir.File("config")), dir.File("tabbit.ini"));
}

// SPDX-License-Identifier: MIT
#include "platform/AppPaths.h"

#include "tests/support/TTempDir.h"
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {} // namespace

TEST(ChooseIniPath, BesideAWritableExecutable) {
    TTempDir dir;
    EXPECT_EQ(ChooseIniPath(dir.File("tabbit"), dir.File("config")), dir.File("tabbit.ini"));
    EXPECT_EQ(ChooseIniPath(dir.File("tabbit.exe"), dir.File("config")), dir.File("tabbit.ini"));
    EXPECT_FALSE(fs::exists(dir.File("config")));
}

TEST(ChooseIniPath, UserConfigurationForAnInstalledProgram) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    TTempDir dir;
    fs::create_directory(dir.File("bin"));
    fs::permissions(dir.File("bin"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ChooseIniPath(dir.File("bin/tabbit"), dir.File("config")),
              dir.File("config/tabbit.ini"));
    EXPECT_TRUE(fs::is_directory(dir.File("config")));
}

TEST(ChooseIniPath, AnExistingFileBesideTheProgramWins) {
    TTempDir dir;
    std::ofstream(dir.File("tabbit.ini")) << "[RecordDefs]\r\n";
    EXPECT_EQ(ChooseIniPath(dir.File("tabbit"), dir.File("config")), dir.File("tabbit.ini"));
}

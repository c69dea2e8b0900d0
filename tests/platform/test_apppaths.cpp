#include "platform/AppPaths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tabbit-paths-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TempDir() {
        fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(FPath);
    }
    fs::path operator/(const std::string& name) const { return FPath / name; }

private:
    fs::path FPath;
};

} // namespace

TEST(ChooseIniPath, BesideAWritableExecutable) {
    TempDir dir;
    EXPECT_EQ(ChooseIniPath((dir / "tabbit").string(), (dir / "config").string()),
              (dir / "tabbit.ini").string());
    EXPECT_EQ(ChooseIniPath((dir / "tabbit.exe").string(), (dir / "config").string()),
              (dir / "tabbit.ini").string());
    EXPECT_FALSE(fs::exists(dir / "config"));
}

TEST(ChooseIniPath, UserConfigurationForAnInstalledProgram) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    TempDir dir;
    fs::create_directory(dir / "bin");
    fs::permissions(dir / "bin", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ChooseIniPath((dir / "bin" / "tabbit").string(), (dir / "config").string()),
              (dir / "config" / "tabbit.ini").string());
    EXPECT_TRUE(fs::is_directory(dir / "config"));
}

TEST(ChooseIniPath, AnExistingFileBesideTheProgramWins) {
    TempDir dir;
    std::ofstream(dir / "tabbit.ini") << "[RecordDefs]\r\n";
    EXPECT_EQ(ChooseIniPath((dir / "tabbit").string(), (dir / "config").string()),
              (dir / "tabbit.ini").string());
}

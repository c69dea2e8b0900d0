// SPDX-License-Identifier: MIT
#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& path) {
    return fs::path(path).parent_path().string();
}

} // namespace

std::string ExecutablePath() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error)
        return self.string();
    // Without /proc, Qt knows the path from the command line.
    if (QCoreApplication::instance())
        return QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    return {};
}

bool IsInstalledProgram(const std::string& exePath) {
    const fs::path prefix = fs::path(FolderOf(exePath)).parent_path();
    std::error_code error;
    return fs::is_directory(prefix / "share" / "tabbit" / "help", error);
}

std::string ChooseIniPath(const std::string& exePath, const std::string& configDir, TIniUse use) {
    const fs::path exe(exePath);
    const std::string beside = (exe.parent_path() / exe.stem()).string() + ".ini";
    std::error_code error;
    if (fs::exists(beside, error)) {
        return beside;
    }
    if (!IsInstalledProgram(exePath) && ::access(FolderOf(beside).c_str(), W_OK) == 0) {
        return beside;
    }
    // Best effort: when the folder cannot be made, saving reports why.
    if (use == TIniUse::ReadWrite) {
        fs::create_directories(configDir, error);
    }
    return configDir + "/tabbit.ini";
}

std::string UserConfigDir() {
    // A relative XDG_CONFIG_HOME is invalid and to be ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/tabbit";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = ::getpwuid(::geteuid());
        home = user != nullptr ? user->pw_dir : "";
    }
    return std::string(home) + "/.config/tabbit";
}

std::string WindowProgramIniPath(TIniUse use) {
    return ChooseIniPath(FolderOf(ExecutablePath()) + "/tabbit", UserConfigDir(), use);
}

// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

/// A fresh folder under the system's temporary folder for one test, removed with everything
/// in it (also when a test took away its write permission). Tests never touch the user's home.
class TTempDir {
public:
    TTempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tabbit-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    ~TTempDir() {
        namespace fs = std::filesystem;
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(FPath, error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error))
            if (it->is_directory(error))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(FPath, error);
    }

    const std::string& Path() const { return FPath; }
    /// The path of name inside the folder.
    std::string File(const std::string& name) const { return FPath + "/" + name; }
    /// The names in the folder, sorted: to see that no temporary file was left behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(FPath))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string FPath;
};

/// The whole content of a file, bytes as they are; empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// SPDX-License-Identifier: MIT
// The memory a save into a large settings file takes at its peak, as the manage dialog saves:
// the file is loaded, one definition is added and the file is rewritten. Each file is saved in
// a process of its own, so that the peak belongs to that save alone. The program's own file is
// small; this shows that a file near the size limit is held about once, not several times.
//
// Usage: bench_settings_file_memory [MIB...]   (default 200; lines of 60 and of 1000 bytes)

#include "store/SavedDefinitions.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

/// Writes a RecordDefs section of lines of lineLength bytes (with their CR LF) up to mib MiB.
void MakeFile(const std::string& path, std::size_t mib, std::size_t lineLength) {
    std::ofstream out(path, std::ios::binary);
    out << "[RecordDefs]\r\n";
    const std::size_t size = mib << 20;
    std::size_t written = 14;
    for (std::size_t n = 0; written + lineLength <= size; ++n) {
        std::string line = "d";
        line += std::to_string(n);
        line += '=';
        line.append(lineLength - line.size() - 2, 'v');
        line += "\r\n";
        out << line;
        written += line.size();
    }
}

/// Saves one definition into the file at path in a child process; gives the child's peak
/// resident size in KiB, or -1 when the save failed.
long PeakOfSave(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            TSavedDefinitions(path).Save("added", "/R=100 /N=5");
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            std::_Exit(1);
        }
        std::_Exit(0);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    std::string pattern = (fs::temp_directory_path() / "tabbit-bench-memory-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;
    int status = 0;
    for (int i = argc > 1 ? 1 : 0; i < std::max(argc, 2); ++i) {
        const std::size_t mib = argc > 1 ? std::strtoul(argv[i], nullptr, 10) : 200;
        for (const std::size_t lineLength : {60, 1000}) {
            const std::string path = (folder / "tabbit.ini").string();
            MakeFile(path, mib, lineLength);
            const long peak = PeakOfSave(path);
            if (peak < 0) {
                status = 1;
            }
            std::printf("save into %zu MiB, lines of %4zu bytes: peak %7.1f MiB (%.2f times the "
                        "file)\n",
                        mib, lineLength, static_cast<double>(peak) / 1024,
                        static_cast<double>(peak) / 1024 / static_cast<double>(mib));
            fs::remove(path);
        }
    }
    fs::remove_all(folder);
    return status;
}

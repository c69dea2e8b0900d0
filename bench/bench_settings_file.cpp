// SPDX-License-Identifier: MIT
// Cost of the settings-file engine on large files: loading 100,000 sections or one 10 MB
// line, rewriting the 100,000 sections, and a key lookup that has to pass all of them. The
// program's own file is small; these show how far from small it can go.

#include "store/SettingsFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int ManySections = 100000;

/// The benchmark's files, made once in a temporary folder that goes at exit.
class TBenchFiles {
public:
    TBenchFiles() {
        std::string pattern = (fs::temp_directory_path() / "tabbit-bench-vxini-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        FFolder = pattern;
        std::string many;
        for (int i = 0; i < ManySections; ++i)
            many += "[S" + std::to_string(i) + "]\r\nk=/R=100 /N=5 /F=1,#59 /E=W\r\n\r\n";
        Write(ManyPath(), many);
        Write(LongPath(), "[s]\r\nk=" + std::string(10 * 1024 * 1024, 'v') + "\r\n");
    }
    TBenchFiles(const TBenchFiles&) = delete;
    TBenchFiles& operator=(const TBenchFiles&) = delete;
    ~TBenchFiles() {
        std::error_code error;
        fs::remove_all(FFolder, error);
    }

    std::string ManyPath() const { return FFolder + "/many.ini"; }
    std::string LongPath() const { return FFolder + "/long.ini"; }

private:
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::string FFolder;
};

const TBenchFiles& Files() {
    static const TBenchFiles files;
    return files;
}

void BM_LoadManySections(benchmark::State& state) {
    const std::string path = Files().ManyPath();
    for (auto _ : state) {
        TVxIniFile store(path);
        benchmark::DoNotOptimize(store.Sections().Count());
    }
    state.SetItemsProcessed(state.iterations() * ManySections);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_LoadManySections)->Unit(benchmark::kMillisecond);

void BM_LoadTenMegabyteLine(benchmark::State& state) {
    const std::string path = Files().LongPath();
    for (auto _ : state) {
        TVxIniFile store(path);
        benchmark::DoNotOptimize(store.Sections().Count());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_LoadTenMegabyteLine)->Unit(benchmark::kMillisecond);

// One change and the rewrite it causes, which writes all sections and makes the file durable.
void BM_RewriteManySections(benchmark::State& state) {
    TVxIniFile store(Files().ManyPath());
    int round = 0;
    for (auto _ : state) {
        store.WriteString("S0", "round", std::to_string(++round));
        store.UpdateFile();
    }
    state.SetItemsProcessed(state.iterations() * ManySections);
}
BENCHMARK(BM_RewriteManySections)->Unit(benchmark::kMillisecond);

// Lookups that alternate between the first and the last section: the key search starts at
// the section found last, so every second lookup passes all the others on its way.
void BM_ReadStringAcrossManySections(benchmark::State& state) {
    TVxIniFile store(Files().ManyPath());
    std::string last = "s";
    last += std::to_string(ManySections - 1);
    bool first = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.ReadString(first ? "s0" : last, "k", ""));
        first = !first;
    }
}
BENCHMARK(BM_ReadStringAcrossManySections)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

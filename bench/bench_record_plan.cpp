// SPDX-License-Identifier: MIT
// Bytes per second of the record plan, per field type and for the two reference
// definitions, with the vector writer and the portable one, and of the producer on one and
// on all threads. Compare with bench_get_record, which makes the same records one string at
// a time.

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Producer.h"
#include "engine/RandomSource.h"
#include "engine/RecordPlan.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string DigitsDefinition = "/N=5 /F=1,#59 /E=U";
const std::string MixedDefinition =
    "/N=8 /C=4 /S=6 /L=10 /H=8 /B=1 /F=1,#59 /U=5,#65#66#67 /A=4 /Y=1990,2020 /E=U";

/// Fills a buffer of about 1 MiB with records again and again.
void RunPlan(benchmark::State& state, const std::string& definition, bool portable,
             const std::string& dateFormat = "yyyy-mm-dd") {
    SystemDateFormat = dateFormat;
    TVxRndParser parser;
    parser.Parse(definition);
    TVxRecordPlan::ForcePortable(portable);
    if (!portable && !TVxRecordPlan::VectorPathAvailable()) {
        state.SkipWithError("no vector writer on this processor");
        return;
    }
    const TVxRecordPlan plan(parser, true);
    const std::uint64_t records = std::max<std::uint64_t>(1, (1 << 20) / plan.MaxRecordBytes());
    std::vector<char> buffer(records * plan.MaxRecordBytes() + TVxRecordPlan::WriteSlack);
    std::vector<std::size_t> marks;
    std::uint32_t seed = 1;
    std::int64_t bytes = 0;
    std::int64_t items = 0;
    for (auto _ : state) {
        const TVxRecordPlan::TWritten written =
            plan.WriteRecords(buffer.data(), records, seed, 0, marks);
        bytes += static_cast<std::int64_t>(written.Bytes);
        items += static_cast<std::int64_t>(written.Records);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    TVxRecordPlan::ForcePortable(false);
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(items);
}

/// The producer handing 100 MB or so of records to a sink that only looks at them.
void RunProducer(benchmark::State& state, const std::string& definition, unsigned threads) {
    SystemDateFormat = "yyyy-mm-dd";
    TVxRndParser parser;
    parser.Parse(definition);
    TVxProducer producer(parser, true);
    producer.SetThreads(threads);
    const std::uint64_t count = 2000000;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        producer.Run(1, 0, count, [&](const TVxPiece& piece) {
            bytes += static_cast<std::int64_t>(piece.Size);
            benchmark::DoNotOptimize(piece.Data[0]);
            return true;
        });
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}

struct TFieldCase {
    const char* Name;
    std::string Definition;
    std::string DateFormat = "yyyy-mm-dd";
};

/// A word file of 10,000 lines of 4 to 11 small letters, the same on every run, for the
/// value fields that take a line of a file; main removes it.
std::string WordFile() {
    const char* const folder = std::getenv("TMPDIR");
    const std::string path = std::string(folder != nullptr ? folder : "/tmp") +
                             "/bench_record_plan_words." + std::to_string(getpid());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::uint32_t state = 1;
    for (int i = 0; i < 10000; ++i) {
        for (std::uint32_t n = 4 + DrawBelow(state, 8); n > 0; --n) {
            file.put(static_cast<char>('a' + DrawBelow(state, 26)));
        }
        file.put('\n');
    }
    return path;
}

void RegisterPlanBenchmarks(const std::string& words) {
    const std::vector<TFieldCase> cases = {
        {"Digits5", DigitsDefinition},
        {"Mixed", MixedDefinition},
        {"Numeric20", "/N=20 /E=U"},
        {"Hex20", "/H=20 /E=U"},
        {"Capital20", "/C=20 /E=U"},
        {"Letter20", "/L=20 /E=U"},
        {"LetterUser20", "/D=\xE4\xF6\xFC /A=20 /E=U"},
        {"RandomString20", "/U=20,#120#97#113 /E=U"},
        {"Binary20", "/X=20 /E=U"},
        {"Fixed100", "/F=10,abcdefghij /E=U"},
        {"Numeric3000", "/N=3000 /E=U"},
        {"Date", "/Y=1900,2100 /E=U"},
        {"DateNames", "/Y=1900,2100 /E=U", "dddd, d. mmmm yyyy"},
        {"Counter", "/I=8 /E=U"},
        {"Range", "/M=0,0.00..9999.99 /E=U"},
        {"List", "/V=0,open*3|closed|pending /E=U"},
        {"WordFile", "/W=0," + words + " /E=U"},
        {"Values", "/I=8 /F=1,#59 /M=0,0.00..9999.99 /F=1,#59 /V=0,open*3|closed|pending "
                   "/F=1,#59 /W=0," +
                       words + " /E=U"},
    };
    for (const TFieldCase& c : cases) {
        for (const bool portable : {false, true}) {
            const std::string name =
                std::string("BM_Plan/") + c.Name + (portable ? "/portable" : "/vector");
            benchmark::RegisterBenchmark(name.c_str(), [c, portable](benchmark::State& state) {
                RunPlan(state, c.Definition, portable, c.DateFormat);
            });
        }
    }
    for (const unsigned threads : {1u, 0u}) {
        const std::string suffix = threads == 1 ? "/threads:1" : "/threads:all";
        benchmark::RegisterBenchmark(
            ("BM_Producer/Digits5" + suffix).c_str(),
            [threads](benchmark::State& state) { RunProducer(state, DigitsDefinition, threads); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(
            ("BM_Producer/Mixed" + suffix).c_str(),
            [threads](benchmark::State& state) { RunProducer(state, MixedDefinition, threads); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string words = WordFile();
    RegisterPlanBenchmarks(words);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(words.c_str());
    return 0;
}

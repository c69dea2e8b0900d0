// SPDX-License-Identifier: MIT
// Cost of one record from GetRecord for typical definitions. The generation run calls it
// once per record, so this is the engine's share of the time of writing a file.

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/RandomSource.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void RunRecords(benchmark::State& state, const std::string& definition,
                const std::string& dateFormat = "m/d/yy") {
    SystemDateFormat = dateFormat;
    TVxRndParser parser;
    parser.Parse(definition);
    Seed = 1;
    std::string line;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        parser.GetRecord(true, line);
        bytes += static_cast<std::int64_t>(line.size());
        benchmark::DoNotOptimize(line.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(state.iterations());
}

void BM_DefaultRecord(benchmark::State& state) {
    RunRecords(state, "/N=5 /F=1,#59 /E=U");
}

void BM_MixedRecord(benchmark::State& state) {
    RunRecords(state,
               "/N=8 /C=4 /S=6 /L=10 /H=8 /B=1 /F=1,#59 /U=5,#65#66#67 /A=4 /Y=1990,2020 /E=U",
               "yyyy-mm-dd");
}

void BM_Digits(benchmark::State& state) {
    RunRecords(state, "/N=10 /E=U");
}

void BM_EveryFieldType(benchmark::State& state) {
    RunRecords(state,
               "/D=\xE4\xF6\xFC /N=5 /H=5 /C=5 /S=5 /L=5 /B=1 /T=1 /F=2,#59#32 /U=5,#120#121#122 "
               "/A=5 /P=5 /X=5 /Y=1900,2100 /E=W",
               "dd.mm.yyyy");
}

void BM_LongFixedString(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 100; ++i) {
        text.push_back(static_cast<char>('a' + i % 26));
    }
    RunRecords(state, "/F=10," + EncodeCodes(text) + " /E=U");
}

void BM_Dates(benchmark::State& state) {
    RunRecords(state, "/Y=1900,2100 /E=U", "dd.mm.yyyy");
}

BENCHMARK(BM_DefaultRecord);
BENCHMARK(BM_MixedRecord);
BENCHMARK(BM_Digits);
BENCHMARK(BM_EveryFieldType);
BENCHMARK(BM_LongFixedString);
BENCHMARK(BM_Dates);

} // namespace

BENCHMARK_MAIN();

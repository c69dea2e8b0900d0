#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times tabbit-gen against the floor (cat of the same bytes) and, when installed, against the
# faker libraries (bench/gen_vs_floor.sh), then runs the microbenchmarks and the window
# benchmark when they were built.
# Usage: bench/run_benchmarks.sh [BUILD_DIR]   (default build/release, configured with
#        -DTABBIT_BENCH=ON as `make bench` does; gen_vs_floor.sh lists the settings it reads)
set -euo pipefail

build=${1:-build/release}
bin=$build/bin

bash "$(dirname "${BASH_SOURCE[0]}")/gen_vs_floor.sh" "$build"

if [ -x "$bin/bench_get_record" ]; then
    echo
    echo "== GetRecord microbenchmarks"
    "$bin/bench_get_record"
fi

if [ -x "$bin/bench_settings_file" ]; then
    echo
    echo "== Settings-file engine: loading and rewriting large files"
    "$bin/bench_settings_file"
fi

if [ -x "$bin/bench_settings_file_memory" ]; then
    echo
    echo "== Settings-file engine: peak memory of a save into a large file"
    "$bin/bench_settings_file_memory"
fi

if [ -x "$bin/bench_window" ]; then
    echo
    echo "== Window run against tabbit-gen"
    QT_QPA_PLATFORM=offscreen "$bin/bench_window"
fi

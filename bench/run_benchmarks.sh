#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times tabbit-gen against the plain writing of the same number of bytes, then runs the
# microbenchmarks and the window benchmark when they were built.
# Usage: bench/run_benchmarks.sh [BUILD_DIR]   (default build/release, configured with
#        -DTABBIT_BENCH=ON as `make bench` does)
set -euo pipefail

build=${1:-build/release}
bin=$build/bin
records=${RECORDS:-10000000}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

now_us() { echo $(( ${EPOCHREALTIME/./} )); }

# Runs a command three times and prints the best wall time in microseconds.
best_of_three() {
    local best= start elapsed
    for _ in 1 2 3; do
        start=$(now_us)
        "$@"
        elapsed=$(( $(now_us) - start ))
        if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
    done
    echo "$best"
}

seconds() { printf '%d.%03d' $(( $1 / 1000000 )) $(( $1 % 1000000 / 1000 )); }

gen() { "$bin/tabbit-gen" --seed 1 --quiet -o "$tmp/gen.txt" "/R=$records /N=5 /F=1,#59 /E=U"; }
plain() { yes '12345;' | head -n "$records" > "$tmp/yes.txt"; }

echo "== tabbit-gen: $records records of /N=5 /F=1,#59 /E=U"
t_gen=$(best_of_three gen)
t_yes=$(best_of_three plain)
size_gen=$(stat -c %s "$tmp/gen.txt")
size_yes=$(stat -c %s "$tmp/yes.txt")
echo "tabbit-gen:          $(seconds "$t_gen") s  ($size_gen bytes)"
echo "yes | head (no gen): $(seconds "$t_yes") s  ($size_yes bytes)"
ratio=$(( t_gen * 100 / t_yes ))
printf 'ratio:               %d.%02d (goal: 3 or less)\n' $(( ratio / 100 )) $(( ratio % 100 ))

if [ -x /usr/bin/time ]; then
    for n in 100000 $records; do
        rss=$( { /usr/bin/time -f '%M' "$bin/tabbit-gen" --seed 1 --quiet -o "$tmp/rss.txt" \
            "/R=$n /N=5 /F=1,#59 /E=U"; } 2>&1 )
        echo "peak memory for $n records: $rss KiB"
    done
fi

if [ -x "$bin/bench_getrecord" ]; then
    echo
    echo "== GetRecord microbenchmarks"
    "$bin/bench_getrecord"
fi

if [ -x "$bin/bench_vxini" ]; then
    echo
    echo "== Settings-file engine: loading and rewriting large files"
    "$bin/bench_vxini"
fi

if [ -x "$bin/bench_window" ]; then
    echo
    echo "== Window run against tabbit-gen"
    QT_QPA_PLATFORM=offscreen "$bin/bench_window"
fi

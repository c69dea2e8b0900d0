#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Pairs tabbit-gen with the floor: cat copying a ready file of the same bytes into a new file
# (the bytes have to reach the page cache either way). Each round runs every contender once,
# in alternating order, so that a busy neighbour on the machine slows all of them alike; the
# table shows medians. When the faker libraries of JavaScript and Python are installed
# (make bench-peers), they are timed against tabbit-gen on the same 5-digit records.
#
# Usage: bench/gen_vs_floor.sh [--floor-only | --peers-only] [BUILD_DIR]
#   BUILD_DIR     a Release build holding bin/tabbit-gen (default build/release)
# Environment:
#   ROUNDS        rounds against the floor (default 7)
#   PEER_ROUNDS   rounds against the peers (default 3: the Python library takes seconds)
#   RECORDS       records of the 5-digit case (default 10000000)
#   MIXED_RECORDS records of the mixed case (default 2000000)
#   FIELDS_RECORDS records of the value-field case (default 10000000)
#   PEER_RECORDS  records of the peer case (default 1000000)
#   PEERS_DIR     where bench/install_peers.sh put the JavaScript library (default BUILD_DIR/../peers)
#   PYTHON        the Python holding the Debian faker package (default /usr/bin/python3)
#   TMPDIR        where the scratch files go: put it on the disk you want to measure
# A figure that misses its goal is reported, never turned into a failure: benchmarks are not
# tests. Wrong output (a size or bytes other than the reference run's) is a failure.
set -euo pipefail
export LC_ALL=C # a decimal point in every figure, whatever the user's locale

mode=all
case ${1:-} in
--floor-only) mode=floor; shift ;;
--peers-only) mode=peers; shift ;;
esac
build=${1:-build/release}
gen=$build/bin/tabbit-gen
rounds=${ROUNDS:-7}
peer_rounds=${PEER_ROUNDS:-3}
digits_records=${RECORDS:-10000000}
mixed_records=${MIXED_RECORDS:-2000000}
fields_records=${FIELDS_RECORDS:-10000000}
peer_records=${PEER_RECORDS:-1000000}
peers_dir=$(realpath -m "${PEERS_DIR:-$(dirname "$build")/peers}")
python=${PYTHON:-/usr/bin/python3}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

digits_def='/N=5 /F=1,#59 /E=U'
mixed_def='/N=8 /C=4 /S=6 /L=10 /H=8 /B=1 /F=1,#59 /U=5,#65#66#67 /A=4 /Y=1990,2020 /E=U'
mixed_opts=(--date-format yyyy-mm-dd)
# A counter, an amount, a weighted status and a word of a 10,000-line file (made below).
fields_def_of() {
    echo "/I=8 /F=1,#59 /M=0,0.00..9999.99 /F=1,#59 /V=0,open*3|closed|pending /F=1,#59 /W=0,$1 /E=U"
}
seed=1

die() {
    echo "gen_vs_floor: $*" >&2
    exit 1
}

[ -x "$gen" ] || die "no $gen: build it first (make build-release)"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/tabbit-bench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# The scratch files: both reference outputs and one copy of each at a time.
need_kib=$(( (digits_records * 7 + mixed_records * 58 + fields_records * 34) * 2 / 1024 + 65536 ))
free_kib=$(df -Pk "$tmp" | awk 'NR == 2 { print $4 }')
[ "$free_kib" -ge "$need_kib" ] ||
    die "$tmp has $((free_kib / 1024)) MB free, the run needs about $((need_kib / 1024)) MB (set TMPDIR)"

# The word file of the value-field case: 10,000 lines of 4 to 11 small letters, the same
# on every run.
awk 'BEGIN { srand(1); for (i = 0; i < 10000; i++) { n = 4 + int(rand() * 8); w = "";
    for (j = 0; j < n; j++) w = w sprintf("%c", 97 + int(rand() * 26)); print w } }' > "$tmp/words.txt"
fields_def=$(fields_def_of "$tmp/words.txt")
[[ $tmp != *' '* ]] ||
    die "the scratch folder $tmp has a blank in its name, which a definition cannot hold"

# ---- measuring -----------------------------------------------------------------------------

# timed LABEL TARGET COMMAND...: deletes TARGET, the file COMMAND writes (a new file is
# written faster than an overwritten one, which the file system flushes first), runs COMMAND and
# appends "wall cpu" in seconds (cpu = user + system, to the millisecond) to LABEL's samples.
timed() {
    local label=$1 target=$2 status=0
    shift 2
    rm -f "$target"
    local TIMEFORMAT='%3R %3U %3S'
    { time "$@" > /dev/null 2> "$tmp/stderr"; } 2> "$tmp/time" || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$tmp/stderr" >&2
        die "$label failed with exit status $status: $*"
    fi
    tail -n 1 "$tmp/time" | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' >> "$tmp/$label.samples"
}

copy() { cat "$1" > "$2"; }

# median LABEL COLUMN: the median of one column (1 wall, 2 cpu) of LABEL's samples.
median() {
    awk -v c="$2" '{ print $c }' "$tmp/$1.samples" | sort -g |
        awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

# same_bytes REFERENCE FILE WHAT: a benchmark of wrong output measures nothing.
same_bytes() {
    cmp -s "$1" "$2" || die "$3 wrote other bytes than the reference run ($(stat -c %s "$2") bytes)"
}

# run_in_order ROUND STEP...: runs the steps (each a command line of plain words) forward in
# odd rounds and backward in even ones.
run_in_order() {
    local round=$1 i
    shift
    local steps=("$@")
    if (( round % 2 )); then
        for ((i = 0; i < ${#steps[@]}; i++)); do ${steps[i]}; done
    else
        for ((i = ${#steps[@]} - 1; i >= 0; i--)); do ${steps[i]}; done
    fi
}

thousands() { sed ':a; s/\B[0-9]\{3\}\>/,&/; ta' <<< "$1"; }

# ---- what is measured ----------------------------------------------------------------------

cpus=$(nproc)
model=$(lscpu 2> /dev/null | sed -n 's/^Model name: *//p' | head -n 1)
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt" 2> /dev/null || true)
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" 2> /dev/null || true)
commit=$(git -C "${source_dir:-.}" describe --always --dirty 2> /dev/null || echo unknown)
branch=$(git -C "${source_dir:-.}" rev-parse --abbrev-ref HEAD 2> /dev/null || echo unknown)

echo "machine: ${model:-unknown processor}, $cpus processors for this process; $(uname -sr)"
echo "disk:    $(findmnt -n -o FSTYPE -T "$tmp" 2> /dev/null || stat -f -c %T "$tmp") file system under ${TMPDIR:-/tmp}"
echo "build:   $("$gen" --version | head -n 1) (${build_type:-unknown} build in $build, $branch at $commit)"
echo "date:    $(date -u '+%Y-%m-%d %H:%M UTC')"
# Wall times mean little on a machine others are using: the load says how busy it was.
echo "load:    $(cut -d ' ' -f 1-3 /proc/loadavg 2> /dev/null) (1, 5, 15 minutes) at the start"

# Builds from before --threads only have their default.
if "$gen" --threads 1 --seed 1 --quiet -o "$tmp/probe.txt" '/N=1' 2> /dev/null; then
    thread_counts=(1 default)
else
    echo "note:    this tabbit-gen has no --threads; only its default is timed"
    thread_counts=(default)
fi
threads_args() { [ "$1" = default ] || echo "--threads $1"; }
threads_name() { [ "$1" = default ] && echo "default ($cpus)" || echo "$1"; }

# ---- against the floor ---------------------------------------------------------------------

# case_* describe the three cases by a short key: d (5 digits), m (mixed) and f (the value
# fields).
cases=(d m f)
declare -A case_records=([d]=$digits_records [m]=$mixed_records [f]=$fields_records)
declare -A case_def=([d]=$digits_def [m]=$mixed_def [f]=$fields_def)
declare -A case_goal=([d]=1.5 [m]=2 [f]=2)
declare -A case_name=([d]='5-digit' [m]='mixed' [f]='values')

gen_case() { # gen_case KEY THREADS TARGET
    local key=$1 opts=()
    [ "$1" = m ] && opts=("${mixed_opts[@]}")
    # shellcheck disable=SC2046 # threads_args is one option and its value, or nothing
    "$gen" --seed "$seed" --quiet $(threads_args "$2") "${opts[@]}" -o "$3" \
        "/R=${case_records[$key]} ${case_def[$key]}"
}

# floor_step gen KEY THREADS | floor_step cat KEY: one timed run of a case.
floor_step() {
    local out=$tmp/out.txt
    if [ "$1" = gen ]; then
        timed "gen_$2_$3" "$out" gen_case "$2" "$3" "$out"
        same_bytes "$tmp/ref_$2.txt" "$out" "tabbit-gen, threads $(threads_name "$3"),"
    else
        timed "cat_$2" "$out" copy "$tmp/ref_$2.txt" "$out"
    fi
}

floor_round() {
    local key t steps=()
    for key in "${cases[@]}"; do
        for t in "${thread_counts[@]}"; do steps+=("floor_step gen $key $t"); done
        steps+=("floor_step cat $key")
    done
    run_in_order "$1" "${steps[@]}"
}

floor_table() {
    local key t goal verdict g f r
    echo
    echo "== tabbit-gen against the floor (cat of the same bytes into a new file): $rounds rounds, medians"
    printf '%-38s %-12s %12s %7s %8s %7s  %s\n' case threads 'tabbit-gen s' 'CPU s' 'floor s' ratio \
        'goal (one thread)'
    for key in "${cases[@]}"; do
        f=$(median "cat_$key" 1)
        for t in "${thread_counts[@]}"; do
            g=$(median "gen_${key}_$t" 1)
            r=$(ratio "$g" "$f")
            verdict=
            if [ "$t" = 1 ]; then
                goal=${case_goal[$key]}
                verdict="<= $goal  $(awk -v r="$r" -v g="$goal" 'BEGIN { print (r <= g) ? "PASS" : "MISS" }')"
            fi
            printf '%-38s %-12s %12.3f %7.3f %8.3f %7s  %s\n' \
                "${case_name[$key]}, $(thousands "${case_records[$key]}") records ($(( $(stat -c %s "$tmp/ref_$key.txt") / 1000000 )) MB)" \
                "$(threads_name "$t")" "$g" "$(median "gen_${key}_$t" 2)" "$f" "$r" "$verdict"
        done
    done
    echo "(seconds are wall time, CPU = user + system; ratio = tabbit-gen's wall time over the floor's;"
    echo " goals are informational, a MISS does not fail the benchmark)"
}

# Peak memory must not grow with the record count: a tenth of the records against all of them.
memory_lines() {
    local n rss
    if [ ! -x /usr/bin/time ]; then
        echo "peak memory: not measured (needs /usr/bin/time: apt-get install time)"
        return
    fi
    for n in $((digits_records / 10)) "$digits_records"; do
        rm -f "$tmp/rss.txt"
        rss=$({ /usr/bin/time -f '%M' "$gen" --seed "$seed" --quiet -o "$tmp/rss.txt" \
            "/R=$n $digits_def" 2>&1 > /dev/null; } | tail -n 1)
        echo "peak memory of tabbit-gen (default threads), $(thousands "$n") records: $rss KiB"
    done
}

run_floor() {
    local key round
    echo "warming up: the reference outputs ($rounds rounds follow)" >&2
    for key in "${cases[@]}"; do
        gen_case "$key" "${thread_counts[0]}" "$tmp/ref_$key.txt" ||
            die "tabbit-gen failed on the ${case_name[$key]} records (exit status $?)"
    done
    [ "$(stat -c %s "$tmp/ref_d.txt")" -eq $((digits_records * 7)) ] ||
        die "the 5-digit output has $(stat -c %s "$tmp/ref_d.txt") bytes, not $((digits_records * 7))"
    for ((round = 1; round <= rounds; round++)); do
        echo "round $round of $rounds" >&2
        floor_round "$round"
    done
    rm -f "$tmp/out.txt"
    floor_table
    memory_lines
}

# ---- against the peers ---------------------------------------------------------------------

# The three contenders, each writing PEER_RECORDS 5-digit records into the file named.
peer_gen() {
    # shellcheck disable=SC2046 # threads_args is one option and its value, or nothing
    "$gen" --seed "$seed" --quiet $(threads_args "${thread_counts[0]}") -o "$1" \
        "/R=$peer_records $digits_def"
}
peer_js() { node "$here/peer_faker.mjs" "$peers_dir" "$peer_records" "$1"; }
peer_py() { "$python" "$here/peer_faker.py" "$peer_records" "$1"; }

js_present() { command -v node > /dev/null && [ -d "$peers_dir/node_modules/@faker-js/faker" ]; }
py_present() { [ -x "$python" ] && "$python" -c 'import faker' 2> /dev/null; }

# peer_step NAME: one timed run of a contender; each draws its own digits, so its size shows
# that it did the same work.
peer_step() {
    local out=$tmp/peer.txt
    timed "$1" "$out" "$1" "$out"
    [ "$(stat -c %s "$out")" -eq $((peer_records * 7)) ] ||
        die "$1 wrote $(stat -c %s "$out") bytes, not $((peer_records * 7))"
}

run_peers() {
    local round name g_wall g_cpu w c
    local names=(peer_gen)
    declare -A title=([peer_gen]="tabbit-gen --threads $(threads_name "${thread_counts[0]}")")
    if js_present; then
        names+=(peer_js)
        title[peer_js]="@faker-js/faker $(node -p 'require(process.argv[1]).version' \
            "$peers_dir/node_modules/@faker-js/faker/package.json")"
    fi
    if py_present; then
        names+=(peer_py)
        title[peer_py]="Python faker $("$python" -c 'import faker; print(faker.VERSION)')"
    fi
    echo
    if [ ${#names[@]} -eq 1 ]; then
        echo "peers: none installed (make bench-peers installs them)"
        return
    fi
    for ((round = 1; round <= peer_rounds; round++)); do
        echo "peers: round $round of $peer_rounds" >&2
        run_in_order "$round" "${names[@]/#/peer_step }"
    done
    rm -f "$tmp/peer.txt"
    echo "== peers: $(thousands "$peer_records") records of 5 digits and \";\", $peer_rounds rounds, medians"
    printf '%-32s %9s %9s %11s %10s\n' program 'wall s' 'CPU s' 'wall ratio' 'CPU ratio'
    g_wall=$(median peer_gen 1)
    g_cpu=$(median peer_gen 2)
    for name in "${names[@]}"; do
        w=$(median "$name" 1)
        c=$(median "$name" 2)
        printf '%-32s %9.3f %9.3f %11s %10s\n' "${title[$name]}" "$w" "$c" \
            "$(ratio "$w" "$g_wall")" "$(ratio "$c" "$g_cpu")"
    done
    echo "(CPU = user + system; a ratio is the program's time over tabbit-gen's)"
}

case $mode in
all) run_floor; run_peers ;;
floor) run_floor ;;
peers) run_peers ;;
esac

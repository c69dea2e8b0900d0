#!/bin/bash
# SPDX-License-Identifier: MIT
# bench/gen_vs_floor.sh on a few records: it prints a whole table for the real tabbit-gen, and
# refuses to print figures for output that is wrong (other bytes with more threads, a wrong
# size, a failing run, a peer writing less). Only the script's logic is checked here; its
# figures are for the benchmark to show, never for a test to judge.
# Usage: test_gen_vs_floor.sh SOURCE_DIR BUILD_DIR   (BUILD_DIR holds bin/tabbit-gen)
set -u
source_dir=${1:?usage: test_gen_vs_floor.sh SOURCE_DIR BUILD_DIR}
real=$(realpath "${2:?usage: test_gen_vs_floor.sh SOURCE_DIR BUILD_DIR}/bin/tabbit-gen")
script=$source_dir/bench/gen_vs_floor.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Few records and rounds, no peers unless a case brings its own.
export ROUNDS=3 PEER_ROUNDS=2 RECORDS=3000 MIXED_RECORDS=700 FIELDS_RECORDS=500 PEER_RECORDS=200 TMPDIR=$work
export PEERS_DIR=$work/no-peers PYTHON=$work/no-python

# fake_build NAME BODY: a build folder whose bin/tabbit-gen runs BODY (bash, with $real the
# real program, "$@" its arguments and $out the file after -o, if any).
fake_build() {
    mkdir -p "$work/$1/bin"
    # shellcheck disable=SC2016 # the text is the fake program's, expanded when it runs
    printf '#!/bin/bash\nreal=%q\nout=\nfor a in "$@"; do [ "${prev:-}" = -o ] && out=$a; prev=$a; done\n%s\n' \
        "$real" "$2" > "$work/$1/bin/tabbit-gen"
    chmod +x "$work/$1/bin/tabbit-gen"
    echo "$work/$1"
}

# run NAME BUILD [EXTRA_ENV...]: runs the script, keeping its output and exit status.
run() {
    local name=$1 build=$2
    shift 2
    env "$@" bash "$script" "$build" > "$work/$name.out" 2>&1
    echo $? > "$work/$name.status"
}
status() { cat "$work/$1.status"; }
says() { grep -q -e "$2" "$work/$1.out"; }
rows() { grep -c -E "^(5-digit|mixed), " "$work/$1.out"; }
show() { sed 's/^/    | /' "$work/$1.out"; }

# ---- the real program ----------------------------------------------------------------------
run real "$(dirname "$(dirname "$real")")"
if [ "$(status real)" -ne 0 ]; then
    fail "the real tabbit-gen: exit status $(status real)"
    show real
else
    [ "$(rows real)" -eq 4 ] || fail "the real tabbit-gen: $(rows real) table rows, not 4 (two cases, two thread counts)"
    [ "$(grep -c -E '<= (1\.5|2) +(PASS|MISS)$' "$work/real.out")" -eq 3 ] ||
        fail "the real tabbit-gen: no PASS or MISS against each of the three goals"
    [ "$(grep -c -E '^values, 500 records' "$work/real.out")" -eq 2 ] ||
        fail "the real tabbit-gen: no two rows of the value-field case"
    says real '^5-digit, 3,000 records .* default (' || fail "the real tabbit-gen: no default thread row"
    says real '3 rounds, medians' || fail "the real tabbit-gen: the rounds are not named"
    says real 'peers: none installed' || fail "the real tabbit-gen: missing peers not said"
    if [ -x /usr/bin/time ]; then
        [ "$(grep -c -E '^peak memory .* [0-9]+ KiB$' "$work/real.out")" -eq 2 ] ||
            fail "the real tabbit-gen: no two peak memory figures"
    fi
    for left in "$work"/tabbit-bench.*; do
        [ ! -e "$left" ] || fail "the scratch folder $left is left behind"
    done
fi

# ---- wrong output is a failure, never a figure ---------------------------------------------
# cases: name ^ tabbit-gen body ^ what the script must say
while IFS='^' read -r name body message; do
    build=$(fake_build "$name" "$body")
    run "$name" "$build"
    if [ "$(status "$name")" -eq 0 ]; then
        fail "$name: the script printed figures for wrong output"
        show "$name"
    elif ! says "$name" "$message"; then
        fail "$name: no message like '$message'"
        show "$name"
    fi
done << 'CASES'
other bytes by default^"$real" "$@" || exit; [[ -z $out || " $* " == *" --threads "* ]] || printf x >> "$out"^other bytes than the reference run
records missing^"$real" "$@" || exit; [ -z "$out" ] || truncate -s -7 "$out"^the 5-digit output has
a failing run^echo "tabbit-gen: no space left on the disk" >&2; exit 1^tabbit-gen failed on the 5-digit records
CASES

# A build from before --threads: only its default is timed, and no goal is judged.
# shellcheck disable=SC2016 # the body is the fake program's, expanded when it runs
build=$(fake_build old-build '[[ " $* " == *" --threads "* ]] && { echo "unknown option --threads" >&2; exit 2; }; exec "$real" "$@"')
run old-build "$build"
if [ "$(status old-build)" -ne 0 ] || [ "$(rows old-build)" -ne 2 ] || ! says old-build 'has no --threads' ||
    says old-build '\(PASS\|MISS\)$'; then
    fail "a build without --threads: not two default rows with a note and no verdict"
    show old-build
fi

# ---- the peers -----------------------------------------------------------------------------
# A stand-in for the Python library: answers the presence and version questions, and writes
# COUNT records (or one fewer with SHORT=1) like the real peer script.
mkdir -p "$work/py"
cat > "$work/py/python" << 'PY'
#!/bin/bash
case $1 in
-c) [[ $2 == *VERSION* ]] && echo 9.9; exit 0 ;;
esac
count=$2
[ "${SHORT:-0}" = 1 ] && count=$((count - 1))
for ((i = 0; i < count; i++)); do echo '12345;'; done > "$3"
PY
chmod +x "$work/py/python"
run peers "$(dirname "$(dirname "$real")")" PYTHON="$work/py/python" ROUNDS=1
if [ "$(status peers)" -ne 0 ] || ! says peers '^Python faker 9.9 ' || ! says peers '^tabbit-gen --threads 1 .* 1.00 '; then
    fail "a present peer: no row for it beside tabbit-gen's"
    show peers
fi
run short-peer "$(dirname "$(dirname "$real")")" PYTHON="$work/py/python" SHORT=1 ROUNDS=1
if [ "$(status short-peer)" -eq 0 ] || ! says short-peer 'wrote 1393 bytes, not 1400'; then
    fail "a peer writing less: not refused"
    show short-peer
fi

[ "$failures" -eq 0 ] || exit 1
echo "gen_vs_floor.sh: table, refusals and peers as expected"

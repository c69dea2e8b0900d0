#!/bin/bash
# SPDX-License-Identifier: MIT
# tabbit-gen under a process limit that leaves no room for its threads: it warns once, runs
# on the threads it has, and writes the same bytes as a run on one thread.
# Usage: test_gen_few_threads.sh TABBIT-GEN
set -u

gen=$1
# shellcheck source=tests/support/testlib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/testlib.sh"

# The limit does not bind root, so root runs the program as nobody. The sanitizers' leak
# check needs a thread of its own at exit, which the limit does not leave.
export ASAN_OPTIONS=detect_leaks=0
# shellcheck disable=SC2016 # the inner shell expands its own arguments
limited() {
    local processes=$1
    shift
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=65534 --regid=65534 --clear-groups \
            bash -c 'ulimit -u "$0" && exec "$@"' "$processes" "$@"
    else
        bash -c 'ulimit -u "$0" && exec "$@"' "$processes" "$@"
    fi
}

definition='/R=1000000 /N=5 /F=1,#59 /E=U'
"$gen" -q --seed=9 -j 1 -o - "$definition" >"$tmp/one" || fail "the run on one thread failed"
# Limits of 1 and 2 processes: no worker starts, or one of the several asked for.
for case in "1 2 0 1" "2 4 1 1"; do
    read -r processes threads started running <<<"$case"
    limited "$processes" "$gen" -q --seed=9 -j "$threads" -o - "$definition" \
        >"$tmp/out" 2>"$tmp/err" || fail "limit $processes: the run failed: $(cat "$tmp/err")"
    cmp -s "$tmp/out" "$tmp/one" || fail "limit $processes: the bytes differ from one thread's"
    expected="tabbit-gen: warning: could only start $started of $threads threads; running on $running"
    [ "$(cat "$tmp/err")" = "$expected" ] || fail "limit $processes: said: $(cat "$tmp/err")"
done
finish

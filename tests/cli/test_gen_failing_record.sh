#!/bin/bash
# SPDX-License-Identifier: MIT
# A record longer than a buffer whose date cannot be encoded: the pipe gets exactly the good
# records before it and nothing of it, at every thread count, and the run fails.
# Usage: test_gen_failing_record.sh TABBIT-GEN
set -u

gen=$1
# shellcheck source=tests/support/testlib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/testlib.sh"

# Seed 2 draws the year 10000 in the fourth record, which straddles the first 1 MiB buffer.
definition='/R=6 /B=300000 /Y=9999,10000 /E=U'
for threads in 1 2 4; do
    "$gen" -q --seed 2 --date-format yyyy -j "$threads" -o - -- "$definition" \
        >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ "$status" -ne 0 ] || fail "$threads threads: the failing run reported success"
    grep -q 'Invalid argument to date encode' "$tmp/err" ||
        fail "$threads threads: no message: $(cat "$tmp/err")"
    size=$(wc -c <"$tmp/out")
    [ "$size" -eq 900015 ] || fail "$threads threads: $size bytes instead of the 900015 of 3 records"
    "$gen" -q --seed 2 --date-format yyyy -o - -- '/R=3 /B=300000 /Y=9999,10000 /E=U' >"$tmp/good"
    cmp -s "$tmp/out" "$tmp/good" || fail "$threads threads: not the records of a 3-record run"
done
finish

#!/bin/bash
# SPDX-License-Identifier: MIT
# One run split into parts and spread over threads gives the bytes of the whole run: parts
# run side by side by GNU parallel and joined, every thread count with several part counts,
# and a run that meets a date that cannot be written stops after the same last good record.
# Usage: test_gen_parts.sh TABBIT-GEN
set -u

gen=$1
# shellcheck source=tests/support/testlib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/testlib.sh"

seed=4242
format=dd.mm.yyyy
definition='/R=5000 /N=3 /C=2 /Y=1950,2049 /U=2,abc /X=1 /E=W'
run() {
    "$gen" --quiet --seed "$seed" --date-format "$format" -o - "$@"
}
run "$definition" >"$tmp/whole" || fail "the whole run failed"

# Parts run by GNU parallel, in any order and at once, joined in the order of their numbers.
if command -v parallel >/dev/null; then
    parts=6
    export gen seed format definition
    (cd "$tmp" && seq "$parts" | parallel --will-cite --jobs 3 \
        '"$gen" --quiet --seed "$seed" --date-format "$format" -o part.{} --part {}/'"$parts"' "$definition"') ||
        fail "GNU parallel: a part failed"
    for i in $(seq "$parts"); do cat "$tmp/part.$i"; done >"$tmp/joined"
    cmp -s "$tmp/joined" "$tmp/whole" || fail "GNU parallel: the joined parts differ from the whole run"
else
    fail "GNU parallel is not installed"
fi

# Every thread count with several part counts.
for threads in 1 2 3 4; do
    run --threads "$threads" "$definition" | cmp -s - "$tmp/whole" ||
        fail "$threads threads: differs from the whole run"
    for parts in 1 2 3 7; do
        for i in $(seq "$parts"); do
            run --threads "$threads" --part "$i/$parts" "$definition" || fail "part $i/$parts failed"
        done >"$tmp/joined"
        cmp -s "$tmp/joined" "$tmp/whole" ||
            fail "$threads threads, $parts parts: the joined parts differ from the whole run"
    done
done

# Years up to 10000: a record that draws 10000 stops the run. With the years written yyyy
# every record has 8 bytes, so where a part starts in the whole run is known.
bad='/R=3000 /N=3 /Y=9000,10000 /E=U'
format=yyyy
size=8
run "$bad" >"$tmp/whole" 2>"$tmp/err"
status=$?
[ "$status" = 1 ] || fail "unwritable date: exit status $status, not 1"
[ "$(cat "$tmp/err")" = "tabbit-gen: Invalid argument to date encode" ] ||
    fail "unwritable date: message '$(cat "$tmp/err")'"
good=$(($(stat -c %s "$tmp/whole") / size))
[ "$good" -lt 3000 ] || fail "unwritable date: no record failed"
for threads in 1 2 4; do
    for parts in 1 3 7; do
        for i in $(seq "$parts"); do
            first=$(((i - 1) * 3000 / parts))
            last=$((i * 3000 / parts))
            # Parts after the failing record are not compared: the whole run never got there.
            [ "$first" -gt "$good" ] && break
            run --threads "$threads" --part "$i/$parts" "$bad" >"$tmp/part" 2>"$tmp/err"
            status=$?
            what="$threads threads, part $i/$parts"
            if [ "$last" -le "$good" ]; then
                [ "$status" = 0 ] || fail "$what: exit status $status before the failing record"
                tail -c +$((first * size + 1)) "$tmp/whole" | head -c $(((last - first) * size)) |
                    cmp -s - "$tmp/part" || fail "$what: differs from the whole run"
            else
                [ "$status" = 1 ] || fail "$what: exit status $status, not 1"
                [ "$(cat "$tmp/err")" = "tabbit-gen: Invalid argument to date encode" ] ||
                    fail "$what: message '$(cat "$tmp/err")'"
                tail -c +$((first * size + 1)) "$tmp/whole" | cmp -s - "$tmp/part" ||
                    fail "$what: does not stop after the same last good record"
            fi
        done
    done
done

finish

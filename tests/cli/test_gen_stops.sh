#!/bin/bash
# SPDX-License-Identifier: MIT
# tabbit-gen stopped from outside: SIGINT, SIGTERM and SIGHUP during a long run, a full disk, a
# file-size limit and more memory than there is. Whatever stops it, the output holds only whole
# records, and exactly the records that a shorter run with the same seed gives.
# Usage: test_gen_stops.sh TABBIT-GEN
set -u

gen=$1
# shellcheck source=tests/support/testlib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/testlib.sh"
mounted=
# Run by the clean-up on exit, before the temporary folder goes.
# shellcheck disable=SC2317
before_cleanup() {
    [ -n "$mounted" ] && umount "$mounted"
}
# Background jobs get their own process group and keep the signals a terminal would send.
set -m

# Dates written d/m/yyyy differ in width, so a record boundary is not a multiple of a size.
definition='/N=3 /Y=1900,2100 /F=1,#59'
format=d/m/yyyy

# check_prefix FILE WHAT: FILE holds whole records, the same as a run of that many records.
check_prefix() {
    local file=$1 what=$2 lines
    if [ -s "$file" ] && [ "$(tail -c 1 "$file" | od -An -c | tr -d ' ')" != '\n' ]; then
        fail "$what: the output ends inside a record"
        return
    fi
    lines=$(wc -l <"$file")
    "$gen" --quiet --seed 11 --date-format "$format" -o "$tmp/prefix" "/R=$lines $definition /E=U" ||
        fail "$what: the shorter run failed"
    cmp -s "$file" "$tmp/prefix" || fail "$what: the records differ from a run of $lines records"
}

# wait_for_output FILE: until FILE holds something, at most 30 s.
wait_for_output() {
    for _ in $(seq 300); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

for signal in INT TERM HUP; do
    case $signal in
    INT) expected=130 ;;
    TERM) expected=143 ;;
    HUP) expected=129 ;;
    esac

    # Into a file.
    out=$tmp/file-$signal.txt
    "$gen" --quiet --seed 11 --date-format "$format" -o "$out" "/R=2000000000 $definition /E=U" &
    pid=$!
    wait_for_output "$out" || fail "SIG$signal: no output appeared"
    kill -s "$signal" "$pid"
    wait "$pid"
    status=$?
    [ "$status" = "$expected" ] || fail "SIG$signal to a file: exit status $status, not $expected"
    check_prefix "$out" "SIG$signal to a file"

    # Into a pipe, whose reader keeps everything that arrives.
    out=$tmp/pipe-$signal.txt
    mkfifo "$tmp/fifo-$signal"
    cat "$tmp/fifo-$signal" >"$out" &
    reader=$!
    "$gen" --quiet --seed 11 --date-format "$format" -o - "/R=2000000000 $definition /E=U" \
        >"$tmp/fifo-$signal" &
    pid=$!
    wait_for_output "$out" || fail "SIG$signal: nothing came through the pipe"
    kill -s "$signal" "$pid"
    wait "$pid"
    status=$?
    wait "$reader"
    [ "$status" = "$expected" ] || fail "SIG$signal to a pipe: exit status $status, not $expected"
    check_prefix "$out" "SIG$signal to a pipe"
done

# A reader that reads no more leaves the run blocked in a write: a second signal ends it.
mkfifo "$tmp/stuck"
exec 3<>"$tmp/stuck"
"$gen" --quiet --seed 11 -o - "/R=2000000000 $definition /E=U" >"$tmp/stuck" &
pid=$!
sleep 1
kill -s TERM "$pid"
sleep 0.5
kill -s TERM "$pid" 2>/dev/null
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "blocked writer: still running after two SIGTERM"
    kill -s KILL "$pid"
fi
wait "$pid"
status=$?
[ "$status" = 143 ] || fail "blocked writer: exit status $status, not 143"
exec 3>&-

# A full disk: a small file system of its own, where mounting one is allowed.
disk=$tmp/disk
mkdir "$disk"
if mount -t tmpfs -o size=1m tmpfs "$disk" 2>/dev/null; then
    mounted=$disk
    "$gen" --quiet --seed 11 --date-format "$format" -o "$disk/out.txt" \
        "/R=1000000 $definition /E=U" 2>"$tmp/err"
    status=$?
    [ "$status" = 1 ] || fail "full disk: exit status $status, not 1"
    [ "$(cat "$tmp/err")" = "tabbit-gen: $disk/out.txt: No space left on device" ] ||
        fail "full disk: message '$(cat "$tmp/err")'"
    size=$(stat -c %s "$disk/out.txt")
    # All but the last record's worth of the space is used.
    [ "$size" -gt $((1048576 - 32)) ] || fail "full disk: only $size bytes kept"
    cp "$disk/out.txt" "$tmp/full.txt"
    check_prefix "$tmp/full.txt" "full disk"
else
    echo "full disk: skipped, this machine allows no tmpfs mount here"
fi

# A file-size limit (ulimit -f, in blocks of 1024 bytes): the write fails, the program says so
# and keeps only whole records, with one producing thread and with several.
for threads in 1 2; do
    out=$tmp/limited-$threads.txt
    (
        ulimit -f 1000
        "$gen" -q --seed=11 --date-format "$format" -j "$threads" -o "$out" \
            "/R=10000000 $definition /E=U" 2>"$tmp/err"
    )
    status=$?
    [ "$status" = 1 ] || fail "file-size limit, -j $threads: exit status $status, not 1"
    [ "$(cat "$tmp/err")" = "tabbit-gen: $out: File too large" ] ||
        fail "file-size limit, -j $threads: message '$(cat "$tmp/err")'"
    size=$(stat -c %s "$out")
    [ "$size" -gt $((1024000 - 32)) ] || fail "file-size limit, -j $threads: only $size bytes kept"
    check_prefix "$out" "file-size limit, -j $threads"
done

# More memory than there is: the program says so instead of aborting. A record that streams
# in pieces is fine as well; either way the run ends. The address sanitizer aborts by itself
# when an allocation fails, so only a build without it can show this.
check_memory() {
    local what=$1 status=$2
    case $status in
    0) ;;
    1) grep -q '^tabbit-gen: out of memory' "$tmp/err" || fail "$what: message '$(cat "$tmp/err")'" ;;
    *) fail "$what: exit status $status: $(head -c 300 "$tmp/err")" ;;
    esac
}
if ldd "$gen" | grep -q 'libasan'; then
    echo "out of memory: skipped, the address sanitizer aborts on a failed allocation"
else
    "$gen" --quiet -o - "/F=2147483647,$(printf 'x%.0s' {1..1000})" 2>"$tmp/err" |
        head -c 1000000 >/dev/null
    check_memory "huge fixed string" "${PIPESTATUS[0]}"
    (
        ulimit -v 1000000
        "$gen" --quiet -o - '/N=2000000000' 2>"$tmp/err" | head -c 1000000 >/dev/null
        exit "${PIPESTATUS[0]}"
    )
    check_memory "limited address space" $?
fi

# A name given on the command line keeps its bytes, also bytes that are no UTF-8.
(cd "$tmp" && "$gen" --quiet -o $'bad\xff.txt' '/N=1') || fail "odd file name: generation failed"
[ -f "$tmp"/$'bad\xff.txt' ] || fail "odd file name: not created with its bytes: $(ls "$tmp" | od -c | head -2)"
(cd "$tmp" && "$gen" --quiet $'/N=1 /E=U odd\xe4.txt') || fail "odd name in definition: generation failed"
[ -f "$tmp"/$'odd\xe4.txt' ] || fail "odd name in definition: not created with its bytes"
(cd "$tmp" && "$gen" --quiet $'/N=1 /E=U utf8\xc3\xa4.txt') || fail "UTF-8 name in definition: generation failed"
[ -f "$tmp"/$'utf8\xc3\xa4.txt' ] || fail "UTF-8 name in definition: not created with its bytes"

finish

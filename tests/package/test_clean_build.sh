#!/bin/sh
# SPDX-License-Identifier: MIT
# `make clean` (scripts/clean_build.sh) deletes a build folder but keeps every settings file in
# it that holds saved record definitions, and nothing else: it works on a made-up build folder
# in a temporary place with trees whose settings files do and do not hold definitions.
# Usage: test_clean_build.sh SOURCE-DIR
set -eu

src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

b=$tmp/build
mkdir -p "$b/release/bin/help" "$b/test/bin" "$b/noqt/bin" "$b/lint/engine" "$b/empty/bin" \
    "$b/package/tabbit-1.1/bin"
touch "$b/release/CMakeCache.txt" "$b/release/bin/tabbit" "$b/release/bin/help/index.html" \
    "$b/release/bin/tabbit.ini.lock" "$b/lint/compile_commands.json" "$b/stray-file"
# Section names are matched without regard to case, and the line end may be CR LF.
printf '[Other]\r\na=b\r\n[recorddefs]\r\nfive digits=/N=5 /E=U\r\n' >"$b/release/bin/tabbit.ini"
printf '[RecordDefs]\nx=/N=1\n' >"$b/test/bin/tabbit.ini"
# No definitions: an empty section, a definition in another section, a comment.
printf '[RecordDefs]\n' >"$b/noqt/bin/tabbit.ini"
printf '[Other]\nx=/N=1\n[RecordDefs]\n;x=/N=1\n' >"$b/empty/bin/tabbit.ini"
# Only a tree's own bin/ counts, not a settings file deeper down.
printf '[RecordDefs]\nx=/N=1\n' >"$b/package/tabbit-1.1/bin/tabbit.ini"
cp "$b/release/bin/tabbit.ini" "$tmp/release.ini"

bash "$src/scripts/clean_build.sh" "$b" >"$tmp/out"
(cd "$tmp" && find build | sort) >"$tmp/left"
printf '%s\n' build build/release build/release/bin build/release/bin/tabbit.ini \
    build/test build/test/bin build/test/bin/tabbit.ini >"$tmp/expected"
cmp -s "$tmp/expected" "$tmp/left" || fail "left behind: $(tr '\n' ' ' <"$tmp/left")"
cmp -s "$tmp/release.ini" "$b/release/bin/tabbit.ini" || fail "the kept settings file changed"
grep -q "kept $b/release/bin/tabbit.ini" "$tmp/out" || fail "the kept file is not named"

# With nothing worth keeping the folder goes altogether; a missing folder is no error.
rm "$b/release/bin/tabbit.ini" "$b/test/bin/tabbit.ini"
bash "$src/scripts/clean_build.sh" "$b" >/dev/null
[ ! -e "$b" ] || fail "the build folder is still there"
bash "$src/scripts/clean_build.sh" "$b" || fail "a missing build folder is an error"

[ "$failures" -eq 0 ] || exit 1
echo "make clean keeps the saved definitions and nothing else"

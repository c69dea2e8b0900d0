#!/bin/bash
# SPDX-License-Identifier: MIT
# Sources the bash completion of tabbit-gen and calls it as bash would, with COMP_WORDS and
# COMP_CWORD set: options, file names and the saved definition names must complete.
# Usage: test_completion.sh COMPLETION-FILE TABBIT-GEN
set -u

completion=$1
gen=$2
# shellcheck source=tests/support/testlib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/testlib.sh"

# shellcheck source=/dev/null
source "$completion" || { echo "FAIL: cannot source $completion" >&2; exit 1; }

# The completions of the last word of the line, one a line, sorted.
completions() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _tabbit_gen 2>"$tmp/stderr"
    [ -s "$tmp/stderr" ] && fail "completing [$*] wrote: $(cat "$tmp/stderr")"
    [ ${#COMPREPLY[@]} -gt 0 ] && printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
}

expect() {
    local what=$1 expected=$2 actual=$3
    [ "$expected" = "$actual" ] || fail "$what: expected [$expected], got [$actual]"
}

lines() {
    printf '%s\n' "$@"
}

# Every option of --help, and nothing else, completes from a lone "-".
from_help=$("$gen" --help | sed -n 's/^  \(-[A-Za-z]\), \(--[a-z-]*\).*/\1\n\2/p; s/^      \(--[a-z-]*\).*/\1/p' |
    LC_ALL=C sort)
[ -n "$from_help" ] || fail "no options found in --help"
expect "options" "$from_help" "$(completions "$gen" -)"
expect "long options" "$(lines --list --load)" "$(completions "$gen" --l)"
expect "after --seed" "" "$(completions "$gen" --seed '')"
expect "after --records" "" "$(completions "$gen" --records '')"
expect "line ends" "$(lines crlf lf none)" "$(completions "$gen" --eol '')"
expect "line ends after =" "$(lines lf)" "$(completions "$gen" --eol = l)"
expect "line ends in one word" "$(lines none)" "$(completions "$gen" --eol=n)"
expect "a command string" "" "$(completions "$gen" /N)"

# Saved names after --load, from the settings file named earlier on the line; the name of
# that file holds a byte that is no UTF-8.
ini="$tmp/saved"$'\xff'".ini"
printf '[RecordDefs]\r\nshort list=/N\r\nsemicolons=/F=3,#59\r\nother=/C\r\n' >"$ini"
expect "names" "$(lines 'semicolons' 'short list')" "$(completions "$gen" --ini "$ini" --load s)"
expect "names with =" "short list" "$(completions "$gen" --ini = "$ini" -q --load = sh)"
expect "names in one word" "semicolons" "$(completions "$gen" "--ini=$ini" --load=se)"
expect "names in other letter case" "$(lines 'semicolons' 'short list')" "$(completions "$gen" --ini "$ini" --load S)"
expect "escaped blank" "short list" "$(completions "$gen" --ini "$ini" --load 'short\ l')"
expect "no settings file" "" "$(completions "$gen" --ini "$tmp/absent.ini" --load '')"

# File names after -o, -f and --ini, also at the end of a cluster of short options.
mkdir "$tmp/files"
touch "$tmp/files/out1.txt" "$tmp/files/out2.txt" "$tmp/files/other.txt"
cd "$tmp/files" || exit 1
for option in -o --output -f -qo --ini; do
    expect "files after $option" "$(lines out1.txt out2.txt)" "$(completions "$gen" "$option" ou)"
done
expect "files after --output=" "$(lines out1.txt out2.txt)" "$(completions "$gen" --output = ou)"

finish

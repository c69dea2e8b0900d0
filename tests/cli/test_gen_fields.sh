#!/bin/bash
# SPDX-License-Identifier: MIT
# The value fields as tabbit-gen runs them: the records they give, the same bytes at every
# thread count and in every split of a run, and refusals that come before the output file
# is touched.
# Usage: test_gen_fields.sh TABBIT-GEN
set -u

gen=$1
# shellcheck source=tests/support/testlib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/testlib.sh"
cd "$tmp" || exit 1

# A word file with CR LF line ends and a last line without one; a file of one line.
printf 'Lyon\r\nOslo\r\nRiga\r\nBern\r\nKyiv\r\nLima\r\nRome\r\nBonn\r\nNice\r\nCork' >cities.txt
printf 'only' >one.txt

seed=77
run() {
    "$gen" --quiet --seed "$seed" -o - "$@"
}

# The records of the example: a counter of seven digits, an amount, a weighted status and a
# city, each line as the pattern says and the counter counting the lines.
example='/R=1000 /I=7 /F=1,#59 /M=0,0.00..999.99 /F=1,#59 /V=0,open*3|closed|pending /F=1,#59 /W=0,cities.txt /E=U'
run "$example" >example.txt || fail "the example failed"
[ "$(wc -l <example.txt)" = 1000 ] || fail "the example has $(wc -l <example.txt) records"
bad=$(grep -cvE '^[0-9]{7};[0-9]{1,3}\.[0-9]{2};(open|closed|pending);(Lyon|Oslo|Riga|Bern|Kyiv|Lima|Rome|Bonn|Nice|Cork)$' example.txt)
[ "$bad" = 0 ] || fail "the example has $bad records of another form: $(head -n 3 example.txt)"
[ "$(cut -d ';' -f 1 example.txt | awk '$1 != NR' | wc -l)" = 0 ] ||
    fail "the counter does not count the records"
[ "$(head -n 1 example.txt | cut -d ';' -f 1)" = 0000001 ] || fail "the counter does not start at 1"
opens=$(grep -c ';open;' example.txt)
{ [ "$opens" -gt 540 ] && [ "$opens" -lt 660 ]; } || fail "open, weighted 3 of 5, came $opens times in 1000"
[ "$(run '/R=3 /W=0,one.txt /E=U')" = "$(printf 'only\nonly\nonly')" ] || fail "a file of one line"
[ "$(run '/R=2 /I=4,-3 /M=6,-1,5..-1,5 /V=5,ab /E=U')" = "$(printf -- '-003-001,5ab   \n-002-001,5ab   ')" ] ||
    fail "widths: $(run '/R=2 /I=4,-3 /M=6,-1,5..-1,5 /V=5,ab /E=U')"

# The same bytes on every thread count and in every split of the run: the counter counts the
# records of the whole run, and each field draws as often in every record.
definition='/R=200000 /I=0 /F=1,#59 /M=0,-5000.000..5000.000 /V=4,a*5000|bb|ccc*70000 /W=6,cities.txt /I=8,-100 /M=0,0..99999999999 /E=W'
run "$definition" >whole || fail "the whole run failed"
for threads in 1 2 4; do
    run --threads "$threads" "$definition" | cmp -s - whole || fail "$threads threads: differs from the whole run"
    for parts in 3 7; do
        for i in $(seq "$parts"); do
            run --threads "$threads" --part "$i/$parts" "$definition" || fail "part $i/$parts failed"
        done >joined
        cmp -s joined whole || fail "$threads threads, $parts parts: the joined parts differ from the whole run"
    done
done

# refused DEFINITION MESSAGE [OPTION...]: exit status 1 with the message, and the output
# file that was there keeps its bytes.
refused() {
    local definition=$1 message=$2
    shift 2
    printf 'keep' >out.txt
    "$gen" --quiet --seed 1 -o out.txt "$@" "$definition" 2>err
    local status=$?
    [ "$status" = 1 ] || fail "$definition: exit status $status, not 1"
    grep -qF -- "$message" err || fail "$definition: message '$(cat err)', not '$message'"
    [ "$(cat out.txt)" = keep ] || fail "$definition: the output file was changed"
}
mkdir folder
: >empty.txt
refused '/R=5 /N=1 /W=0,missing.txt' 'Cannot read the word file "missing.txt" (No such file or directory).'
refused '/R=5 /W=0,folder' 'The word file "folder" is not a regular file.'
refused '/R=5 /W=0,empty.txt' 'The word file "empty.txt" is empty.'
refused '/R=5 /W=3,cities.txt' 'line 1 of "cities.txt" takes 4 characters, more than its width of 3.'
refused '/R=1000 /I=3' 'the value 1000 takes 4 characters, more than its width of 3.'
refused '/R=10 /I=3' 'the value 1000 takes 4 characters' --records 1000
refused '/R=1000 /I=3' 'the value 1000 takes 4 characters' --part=1/2
refused '/R=5 /M=0,9..1' 'Invalid range for argument /M: 9..1 (low above high).'
refused '/R=5 /M=0,1.0..2.00' '(different numbers of decimals).'
refused '/R=5 /M=0,0..1234567890123456789' '(more than 18 digits).'
refused '/R=5 /V=0,' 'Empty list for argument /V.'
refused '/R=5 /V=0,a*0' 'Invalid weight for argument /V: a*0'
refused '/R=5 /V=0,a*4294967295|b' 'Weights for argument /V add up to more than 4294967295.'
refused '/R=5 /V=2,abc' 'the item "abc" takes 3 characters, more than its width of 2.'

finish

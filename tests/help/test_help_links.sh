#!/bin/sh
# SPDX-License-Identifier: MIT
# The help pages hang together: every link to another page (and to a place in it) arrives, and
# every page can be reached from the list of topics, so a new page is never left unfound.
# Usage: test_help_links.sh HELP_DIR
set -u
help=${1:?usage: test_help_links.sh HELP_DIR}
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The local links of a page, one a line: page or page#name (web addresses left out).
links() {
    grep -o 'href="[^"]*"' "$1" | sed 's/^href="//; s/"$//' | grep -v -E '^[a-z]+:'
}

for page in "$help"/*.html; do
    name=$(basename "$page")
    for link in $(links "$page"); do
        target=${link%%#*}
        [ -n "$target" ] || target=$name
        if [ ! -f "$help/$target" ]; then
            fail "$name links to $link: there is no $target"
            continue
        fi
        case $link in
        *#*)
            anchor=${link#*#}
            grep -q "name=\"$anchor\"" "$help/$target" ||
                fail "$name links to $link: $target has no place named $anchor"
            ;;
        esac
    done
done

# Reachable from contents.html, directly or through the pages it links to.
reached=" contents.html "
todo="contents.html"
while [ -n "$todo" ]; do
    # shellcheck disable=SC2086 # the queue is a list of page names without blanks
    set -- $todo
    current=$1
    shift
    todo="$*"
    for link in $(links "$help/$current"); do
        target=${link%%#*}
        if [ -z "$target" ] || [ ! -f "$help/$target" ]; then continue; fi
        case $reached in
        *" $target "*) ;;
        *) reached="$reached$target " todo="$todo $target" ;;
        esac
    done
done
for page in "$help"/*.html; do
    name=$(basename "$page")
    case $reached in
    *" $name "*) ;;
    *) fail "$name cannot be reached from contents.html" ;;
    esac
done

[ "$failures" -eq 0 ] || exit 1
echo "help links: all arrive, every page reachable"

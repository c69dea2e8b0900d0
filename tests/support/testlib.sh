# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by the script tests: a temporary folder $tmp that is removed however the script
# ends, fail to report a failure and go on checking, and finish to end with the tally.
# A script with more to undo before its folder goes (a mount, say) defines before_cleanup.

tmp=$(mktemp -d) || {
    echo "FAIL: cannot make a temporary folder" >&2
    exit 1
}
failures=0

testlib_cleanup() {
    if declare -F before_cleanup >/dev/null; then
        before_cleanup
    fi
    rm -rf "$tmp"
}
trap testlib_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Ends the script: status 1 when anything failed, else 0.
finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures failed" >&2
        exit 1
    fi
    echo "all passed"
    exit 0
}

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Deletes a build folder, but not the saved record definitions in it: a copy of tabbit run from
# its build folder keeps its settings file beside itself (BUILD/<tree>/bin/tabbit.ini), and the
# definitions saved there would otherwise be gone with the build. A tree whose tabbit.ini holds
# a definition keeps that file, and the folders that lead to it, and nothing else; every other
# tree, and a settings file without definitions, is deleted.
# Usage: clean_build.sh BUILD-DIR
set -euo pipefail

build=$1
[ -d "$build" ] || exit 0

# True when the settings file has an entry in its [RecordDefs] section; section names are
# compared without regard to case, as the program reads them.
has_definitions() {
    [ -f "$1" ] && awk '
        /^[ \t]*\[/ { line = tolower($0); sub(/[ \t\r]+$/, "", line); in_defs = (line ~ /^[ \t]*\[recorddefs\]$/); next }
        in_defs && /^[^;=]+=/ { found = 1 }
        END { exit !found }' "$1"
}

for tree in "$build"/* "$build"/.[!.]*; do
    [ -e "$tree" ] || continue
    ini=$tree/bin/tabbit.ini
    if [ -d "$tree" ] && has_definitions "$ini"; then
        find "$tree" -mindepth 1 -maxdepth 1 ! -name bin -exec rm -rf {} +
        find "$tree/bin" -mindepth 1 -maxdepth 1 ! -name tabbit.ini -exec rm -rf {} +
        echo "kept $ini: it holds saved record definitions"
    else
        rm -rf "$tree"
    fi
done
rmdir "$build" 2>/dev/null || true

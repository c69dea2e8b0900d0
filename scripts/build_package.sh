#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian source package and the binary packages of the work tree into OUT-DIR, as a
# distribution's builder would: the tracked files (uncommitted edits included, untracked files
# and build/ left out) are copied to OUT-DIR/tabbit-<version>, the upstream tarball is made from
# them without debian/, and dpkg-buildpackage builds source and binaries there. OUT-DIR then
# holds the .dsc, the tarballs, the .debs, the -dbgsym .ddebs, the .buildinfo and the .changes.
# OUT-DIR is emptied first. Every file's time is the newest changelog entry's, so that the same
# tree always gives the same bytes.
# Usage: build_package.sh OUT-DIR [JOBS]
set -euo pipefail

out=$1
jobs=${2:-$(nproc)}
cd "$(dirname "$0")/.."
version=$(dpkg-parsechangelog -S Version)
upstream=${version%-*}
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -S Timestamp)
export SOURCE_DATE_EPOCH
tree=tabbit-$upstream

rm -rf "$out"
mkdir -p "$out/$tree"
git ls-files -z | while IFS= read -r -d '' f; do
    [ -e "$f" ] && printf '%s\0' "$f"
done | tar --null -T - -cf - | tar -xf - -C "$out/$tree"
tar -C "$out" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
    --exclude="$tree/debian" -cf - "$tree" | xz -6 -T1 >"$out/tabbit_$upstream.orig.tar.xz"

cd "$out/$tree"
dpkg-buildpackage -us -uc -J"$jobs"

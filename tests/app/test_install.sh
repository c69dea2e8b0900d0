#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the build tree into a temporary prefix, as `cmake --install` does for a user, and
# runs tabbit-gen from there, away from the build tree. Needs no root; leaves nothing behind.
# Usage: test_install.sh CMAKE BUILD-DIR
set -eu

cmake=$1
build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
prefix=$tmp/prefix

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log" >&2; fail "cmake --install"; }

icons=share/icons/hicolor
for f in bin/tabbit bin/tabbit-gen share/applications/org.tabbit.tabbit.desktop \
    share/metainfo/org.tabbit.tabbit.metainfo.xml $icons/scalable/apps/org.tabbit.tabbit.svg \
    share/man/man1/tabbit-gen.1.gz share/tabbit/help/index.html share/tabbit/help/contents.html; do
    [ -f "$prefix/$f" ] || fail "$f is not installed"
done
for size in 16 32 48 64 128 256; do
    icon=$icons/${size}x$size/apps/org.tabbit.tabbit.png
    [ -f "$prefix/$icon" ] || fail "$icon is not installed"
    if command -v file >/dev/null 2>&1; then
        file "$prefix/$icon" | grep -q "PNG image data, $size x $size," || fail "$icon: $(file -b "$prefix/$icon")"
    fi
done
# Manual pages are installed compressed, as man expects them.
for page in "$prefix"/share/man/man1/*; do
    case $page in
    *.1.gz) gzip -t "$page" || fail "${page#"$prefix"/} is not gzip data" ;;
    *) fail "${page#"$prefix"/} is not a compressed manual page" ;;
    esac
done
# What only the Debian package carries stays out of a plain install.
for f in share/doc/tabbit/copyright share/lintian; do
    [ ! -e "$prefix/$f" ] || fail "$f is installed outside the package"
done
# The help pages belong to the program's data folder, not among the programs.
[ ! -e "$prefix/bin/help" ] || fail "bin/help is installed"
for p in tabbit tabbit-gen; do
    [ -x "$prefix/bin/$p" ] || fail "bin/$p is not executable"
done

# Run from an unrelated folder, with a home of its own, so that nothing is found by accident.
mkdir "$tmp/work" "$tmp/home"
cd "$tmp/work"
export HOME="$tmp/home"

version=$("$prefix/bin/tabbit-gen" --version) || fail "tabbit-gen --version exited with $?"
version=$(printf '%s\n' "$version" | head -n 1)
expected=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$version" = "tabbit-gen $expected" ] || fail "tabbit-gen --version printed '$version', not $expected"

record=$("$prefix/bin/tabbit-gen" --seed 0 --date-format yyyy-mm-dd -o - '/N=3 /C=2 /Y=2000,2009 /E=N') ||
    fail "generation to standard output exited with $?"
[ "$record" = "008FH2006-04-05" ] || fail "generation printed '$record'"

"$prefix/bin/tabbit-gen" --quiet -o records.txt '/R=5 /N=4 /F=1,#59 /E=U' ||
    fail "generation to a file exited with $?"
lines=$(grep -c '^[0-9][0-9][0-9][0-9];$' records.txt) || true
[ "$lines" = 5 ] || fail "records.txt holds $lines of the 5 records: $(cat records.txt)"

if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$prefix/share/applications/org.tabbit.tabbit.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/org.tabbit.tabbit.metainfo.xml" >"$tmp/appstream.log" 2>&1 ||
        { cat "$tmp/appstream.log" >&2; fail "AppStream data"; }
fi

echo "installed tree works"

#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks a built Debian package of tabbit as a distribution would before accepting it: its
# control data and contents, the hardening and stripping of its programs, that the programs run
# from the unpacked tree, and the verdicts of lintian, appstreamcli and desktop-file-validate
# when they are installed. Needs no root; leaves nothing behind.
# Usage: test_package.sh PACKAGE.deb
set -eu

deb=$1
[ -f "$deb" ] || {
    echo "FAIL: no package $deb" >&2
    exit 1
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

field() {
    dpkg-deb --field "$deb" "$1"
}

# Control data.
[ "$(field Package)" = tabbit ] || fail "Package is '$(field Package)'"
for f in Version Maintainer Section Priority Homepage Installed-Size Description; do
    [ -n "$(field $f)" ] || fail "the control data has no $f"
done
depends=$(field Depends)
for d in qt6-qpa-plugins libqt6widgets6 libc6; do
    echo "$depends" | grep -Eq "(^|, )$d( |,|$)" || fail "Depends lacks $d: $depends"
done

# Contents: every file in its place, owned by root, nothing outside /usr.
dpkg-deb --contents "$deb" >"$tmp/contents"
awk '{ print $6 }' "$tmp/contents" | sed 's|^\./||; s|/$||' >"$tmp/paths"
for p in usr/bin/tabbit usr/bin/tabbit-gen \
    usr/share/man/man1/tabbit.1.gz usr/share/man/man1/tabbit-gen.1.gz \
    usr/share/doc/tabbit/copyright usr/share/doc/tabbit/changelog.gz \
    usr/share/lintian/overrides/tabbit \
    usr/share/applications/org.tabbit.tabbit.desktop \
    usr/share/metainfo/org.tabbit.tabbit.metainfo.xml \
    usr/share/icons/hicolor/16x16/apps/org.tabbit.tabbit.png \
    usr/share/icons/hicolor/32x32/apps/org.tabbit.tabbit.png \
    usr/share/icons/hicolor/48x48/apps/org.tabbit.tabbit.png \
    usr/share/icons/hicolor/64x64/apps/org.tabbit.tabbit.png \
    usr/share/icons/hicolor/128x128/apps/org.tabbit.tabbit.png \
    usr/share/icons/hicolor/256x256/apps/org.tabbit.tabbit.png \
    usr/share/icons/hicolor/scalable/apps/org.tabbit.tabbit.svg \
    usr/share/tabbit/help/index.html usr/share/tabbit/help/contents.html; do
    grep -qx "$p" "$tmp/paths" || fail "$p is not in the package"
done
grep -v -e '^usr' -e '^\.$' -e '^$' "$tmp/paths" | sed 's/^/outside usr: /' >"$tmp/stray"
grep -e '/man[1-9]/.*\.[1-9]$' "$tmp/paths" | sed 's/^/uncompressed: /' >>"$tmp/stray"
grep -e '^usr/bin/' "$tmp/paths" | grep -v -x -e usr/bin/tabbit -e usr/bin/tabbit-gen |
    sed 's/^/not a program of the package: /' >>"$tmp/stray" || true
awk '$2 != "root/root" { print "not owned by root: " $6 }' "$tmp/contents" >>"$tmp/stray"
while read -r line; do fail "$line"; done <"$tmp/stray"

# The unpacked programs: hardened, stripped, and working.
dpkg-deb --extract "$deb" "$tmp/root"
for p in tabbit tabbit-gen; do
    elf=$tmp/root/usr/bin/$p
    [ -x "$elf" ] || {
        fail "usr/bin/$p is not executable"
        continue
    }
    readelf -h "$elf" | grep -q 'Type:.*DYN' || fail "$p is not position-independent"
    readelf -d "$elf" | grep -q 'BIND_NOW\|FLAGS.*NOW' || fail "$p is not linked with -z now"
    readelf -l "$elf" | grep -q GNU_RELRO || fail "$p has no read-only relocations"
    readelf -W --dyn-syms "$elf" | grep -q '__stack_chk_fail' || fail "$p has no stack protector"
    readelf -W --dyn-syms "$elf" | grep -q '_chk@' || fail "$p calls no checked functions"
    ! readelf -W -S "$elf" | grep -q -e '\.symtab' -e '\.debug_' || fail "$p is not stripped"
    ! readelf -W -S "$elf" | grep -q -e ' \.comment ' -e ' \.note ' || fail "$p keeps .comment or .note"
done
for gz in "$tmp"/root/usr/share/man/man1/*.gz "$tmp/root/usr/share/doc/tabbit/changelog.gz"; do
    gzip -t "$gz" 2>/dev/null || fail "${gz#"$tmp"/root/} is not gzip data"
done
if [ -x "$tmp/root/usr/bin/tabbit-gen" ]; then
    out=$(HOME=$tmp "$tmp/root/usr/bin/tabbit-gen" --seed 0 -o - '/N=5 /E=N') ||
        fail "the unpacked tabbit-gen exited with $?"
    echo "$out" | grep -Eqx '[0-9]{5}' || fail "the unpacked tabbit-gen printed '$out'"
fi

# The verdicts of the tools a distribution runs.
if command -v lintian >/dev/null 2>&1; then
    lintian --pedantic --display-info --fail-on error,warning "$deb" || fail "lintian"
else
    echo "lintian is not installed: not run"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --pedantic --no-net \
        "$tmp/root/usr/share/metainfo/org.tabbit.tabbit.metainfo.xml" || fail "appstreamcli"
else
    echo "appstreamcli is not installed: not run"
fi
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$tmp/root/usr/share/applications/org.tabbit.tabbit.desktop" ||
        fail "desktop-file-validate"
fi

[ "$failures" -eq 0 ] || {
    echo "$deb: $failures failures" >&2
    exit 1
}
echo "$deb: package checked"

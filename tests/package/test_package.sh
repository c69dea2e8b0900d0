#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks the two built Debian packages of tabbit as a distribution would before accepting them:
# their control data and contents, that no file is in both, the hardening and stripping of the
# programs and their debug symbols in the -dbgsym packages beside them, that tabbit-gen needs
# no more of Qt than Qt Core, that the programs run from the unpacked tree, and the verdicts of
# appstreamcli and desktop-file-validate when they are installed (lintian is run on the whole
# upload by `make package`). Needs no root; leaves nothing behind.
# Usage: test_package.sh TABBIT.deb TABBIT-GEN.deb
set -eu

gui=$1
gen=$2
for deb in "$gui" "$gen"; do
    [ -f "$deb" ] || {
        echo "FAIL: no package $deb" >&2
        exit 1
    }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Control data: the name, the fields every package needs, and the dependencies that must and
# must not be there.
control() {
    deb=$1
    name=$2
    [ "$(dpkg-deb --field "$deb" Package)" = "$name" ] || fail "$deb is not package $name"
    for f in Version Maintainer Section Priority Homepage Installed-Size Description; do
        [ -n "$(dpkg-deb --field "$deb" $f)" ] || fail "$name: the control data has no $f"
    done
    # Source is left out where it is the package's own name.
    source=$(dpkg-deb --field "$deb" Source)
    [ "${source:-$name}" = tabbit ] || fail "$name is built from source '$source'"
}
depends_on() {
    echo "$2" | grep -Eq "(^|, )$1( |,|$)"
}
control "$gui" tabbit
control "$gen" tabbit-gen
depends=$(dpkg-deb --field "$gui" Depends)
for d in qt6-qpa-plugins libqt6widgets6 libqt6gui6 libc6; do
    depends_on "$d" "$depends" || fail "tabbit: Depends lacks $d: $depends"
done
depends=$(dpkg-deb --field "$gen" Depends)
for d in libqt6core6 libc6; do
    depends_on "$d" "$depends" || fail "tabbit-gen: Depends lacks $d: $depends"
done
for d in libqt6gui6 libqt6widgets6 qt6-qpa-plugins tabbit; do
    ! depends_on "$d" "$depends" || fail "tabbit-gen depends on $d: $depends"
done

# Contents: every file in its place, owned by root, nothing outside /usr, no file in both.
paths() {
    dpkg-deb --contents "$1" >"$tmp/$2.contents"
    awk '{ print $6 }' "$tmp/$2.contents" | sed 's|^\./||; s|/$||' >"$tmp/$2.paths"
}
expect() {
    name=$1
    shift
    for p in "$@" usr/share/doc/$name/copyright usr/share/doc/$name/changelog.Debian.gz; do
        grep -qx "$p" "$tmp/$name.paths" || fail "$p is not in package $name"
    done
    {
        grep -v -e '^usr' -e '^\.$' -e '^$' "$tmp/$name.paths" | sed 's/^/outside usr: /'
        grep -e '/man[1-9]/.*\.[1-9]$' "$tmp/$name.paths" | sed 's/^/uncompressed: /'
        awk '$2 != "root/root" { print "not owned by root: " $6 }' "$tmp/$name.contents"
    } | while read -r line; do echo "$name: $line"; done >"$tmp/$name.stray"
    while read -r line; do fail "$line"; done <"$tmp/$name.stray"
}
paths "$gui" tabbit
paths "$gen" tabbit-gen
icons=usr/share/icons/hicolor
expect tabbit usr/bin/tabbit usr/share/man/man1/tabbit.1.gz \
    usr/share/lintian/overrides/tabbit \
    usr/share/applications/org.tabbit.tabbit.desktop \
    usr/share/metainfo/org.tabbit.tabbit.metainfo.xml \
    $icons/16x16/apps/org.tabbit.tabbit.png $icons/32x32/apps/org.tabbit.tabbit.png \
    $icons/48x48/apps/org.tabbit.tabbit.png $icons/64x64/apps/org.tabbit.tabbit.png \
    $icons/128x128/apps/org.tabbit.tabbit.png $icons/256x256/apps/org.tabbit.tabbit.png \
    $icons/scalable/apps/org.tabbit.tabbit.svg \
    usr/share/tabbit/help/index.html usr/share/tabbit/help/contents.html
expect tabbit-gen usr/bin/tabbit-gen usr/share/man/man1/tabbit-gen.1.gz \
    usr/share/bash-completion/completions/tabbit-gen
grep -e '^usr/bin/.' "$tmp/tabbit.paths" "$tmp/tabbit-gen.paths" | sed "s|^$tmp/||" |
    grep -v -x -e tabbit.paths:usr/bin/tabbit -e tabbit-gen.paths:usr/bin/tabbit-gen |
    sed 's/^/a stray program: /' >"$tmp/programs" || true
# Folders may be shared; a file may not.
dpkg-deb --contents "$gui" | awk '$1 !~ /^d/ { print $6 }' | sort >"$tmp/tabbit.files"
dpkg-deb --contents "$gen" | awk '$1 !~ /^d/ { print $6 }' | sort >"$tmp/tabbit-gen.files"
comm -12 "$tmp/tabbit.files" "$tmp/tabbit-gen.files" | sed 's/^/in both packages: /' >>"$tmp/programs"
while read -r line; do fail "$line"; done <"$tmp/programs"

# The unpacked programs: hardened, stripped, their debug symbols in the -dbgsym package beside
# their package, and working.
dpkg-deb --extract "$gui" "$tmp/root"
dpkg-deb --extract "$gen" "$tmp/root"
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
    id=$(readelf -n "$elf" | sed -n 's/^ *Build ID: *//p')
    deb=$gui
    [ $p = tabbit ] || deb=$gen
    dbgsym=$(dirname "$deb")/$(basename "$deb" | sed "s/^${p}_/${p}-dbgsym_/")
    if [ -z "$id" ]; then
        fail "$p has no build id"
    elif [ ! -f "$dbgsym" ]; then
        fail "no debug symbols package $dbgsym"
    else
        debug=usr/lib/debug/.build-id/$(echo "$id" | cut -c1-2)/$(echo "$id" | cut -c3-).debug
        dpkg-deb --contents "$dbgsym" >"$tmp/dbgsym"
        grep -qF "./$debug" "$tmp/dbgsym" || fail "$dbgsym holds no debug symbols of build id $id"
    fi
done
for gz in "$tmp"/root/usr/share/man/man1/*.gz "$tmp"/root/usr/share/doc/*/changelog.Debian.gz; do
    gzip -t "$gz" 2>/dev/null || fail "${gz#"$tmp"/root/} is not gzip data"
done
if [ -x "$tmp/root/usr/bin/tabbit-gen" ]; then
    # Qt Core is all tabbit-gen loads of Qt, also through the libraries it loads.
    qt=$(ldd "$tmp/root/usr/bin/tabbit-gen" | grep -o 'libQt6[A-Za-z]*' | sort -u | tr '\n' ' ')
    [ "$qt" = "libQt6Core " ] || fail "tabbit-gen loads $qt"
    out=$(HOME=$tmp "$tmp/root/usr/bin/tabbit-gen" --seed 0 -o - '/N=5 /E=N') ||
        fail "the unpacked tabbit-gen exited with $?"
    echo "$out" | grep -Eqx '[0-9]{5}' || fail "the unpacked tabbit-gen printed '$out'"
fi

# The verdicts of the tools a distribution runs.
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
    echo "$gui $gen: $failures failures" >&2
    exit 1
}
echo "$gui $gen: packages checked"

#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks that the files describing the package agree with the project and with each other,
# so that a new version or licence text is caught here rather than by a distribution: the
# Debian changelog, the AppStream releases and the manual pages name the project's version
# (which the programs take from the build, never from a literal of their own), the copyright
# file carries the licence text word for word, and the desktop entry and the AppStream data
# are valid and name the same application.
# Usage: test_packaging_data.sh SOURCE-DIR VERSION
set -eu

src=$1
version=$2
pkg=$src/packaging
debian=$src/debian
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The newest changelog entry is this version with a Debian revision, and its trailer is well
# formed: its date is the packages' SOURCE_DATE_EPOCH.
first=$(head -n 1 "$debian/changelog")
echo "$first" | grep -Eqx "tabbit \($version-[0-9]+\) unstable; urgency=medium" ||
    fail "the changelog starts with '$first', not version $version"
grep -m1 '^ -- ' "$debian/changelog" |
    grep -Eq '^ -- .+ <[^>]+>  [A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9:]{8} [+-][0-9]{4}$' ||
    fail "the first changelog trailer is malformed"
if command -v dpkg-parsechangelog >/dev/null 2>&1; then
    parsed=$(dpkg-parsechangelog -l "$debian/changelog" --show-field Version 2>&1) || parsed=$?
    [ "${parsed%-*}" = "$version" ] || fail "dpkg-parsechangelog reads '$parsed'"
fi

# The newest AppStream release is this version, dated as the newest changelog entry.
metainfo=$pkg/org.tabbit.tabbit.metainfo.xml
release=$(grep -m1 -o '<release version="[^"]*" date="[^"]*"' "$metainfo") ||
    fail "the AppStream data names no release"
[ "$(echo "$release" | cut -d'"' -f2)" = "$version" ] ||
    fail "the newest AppStream release is '$release', not version $version"
appdate=$(echo "$release" | cut -d'"' -f4)
logdate=$(grep -m1 '^ -- ' "$debian/changelog" | sed 's/.*>  //')
if [ -n "$logdate" ]; then
    [ "$(date -u -d "$logdate" +%F)" = "$appdate" ] ||
        fail "the AppStream release is dated $appdate, the changelog entry $logdate"
fi
grep -q '<launchable type="desktop-id">org.tabbit.tabbit.desktop</launchable>' "$metainfo" ||
    fail "the AppStream data does not launch org.tabbit.tabbit.desktop"
grep -qx 'Icon=org.tabbit.tabbit' "$pkg/org.tabbit.tabbit.desktop" ||
    fail "the desktop entry does not name the icon org.tabbit.tabbit"

# Every manual page that names a version names this one.
for page in "$pkg"/*.1; do
    [ -f "$page" ] || continue
    named=$(grep -m1 '^\.TH' "$page" | grep -o 'tabbit [0-9][0-9.]*' || true)
    [ -z "$named" ] || [ "$named" = "tabbit $version" ] ||
        fail "${page#"$src"/} names $named"
done

# The copyright file is machine-readable and holds the licence text of LICENSE.
head -n 1 "$debian/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
tmp=$(mktemp)
trap 'rm -f "$tmp" "$tmp.literal"' EXIT INT TERM
# The stand-alone licence paragraph: its continuation lines, indented, "." for an empty line.
awk 'prev == "" && $0 == "License: Expat" { on = 1; next } on && /^ / { print; next } on { exit }
    { prev = $0 }' "$debian/copyright" | sed 's/^ //; s/^\.$//' >"$tmp"
sed -n '5,$p' "$src/LICENSE" | cmp -s - "$tmp" || fail "the licence text in the copyright file differs from LICENSE"
grep -q '^Copyright (c) 2026 The tabbit developers$' "$src/LICENSE" &&
    grep -q '^Copyright: 2026 The tabbit developers$' "$debian/copyright" ||
    fail "LICENSE and the copyright file name different holders"

# The programs show the version of the build: no source of theirs spells it out.
for dir in app cli mainwindow dialogs widgets; do
    grep -rnF -e "\"$version\"" -e "tabbit $version" -e "tabbit-gen $version" \
        --include='*.cpp' --include='*.h' "$src/$dir" | grep -v '^[^:]*:[0-9]*: *//' |
        sed "s|^$src/||" >"$tmp.literal" || true
    while read -r line; do fail "the version is spelt out: $line"; done <"$tmp.literal"
done

if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$pkg/org.tabbit.tabbit.desktop" || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --pedantic --no-net "$metainfo" >/dev/null || fail "appstreamcli"
fi

[ "$failures" -eq 0 ] || exit 1
echo "packaging data agrees with version $version"

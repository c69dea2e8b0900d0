#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, from Debian's packages, what one goal of the Makefile needs and is missing:
#   setup.sh run       building and running the programs (the default)
#   setup.sh test      the above, and the tests
#   setup.sh fuzz      the fuzzing build (clang with libFuzzer)
#   setup.sh bench     the above run set, and the benchmarks
#   setup.sh package   the above run set, and building and checking the Debian packages
#   setup.sh lint      the above test set, and clang-format and clang-tidy
#   setup.sh all       everything
# Does nothing when everything is present. Without root it prints the one command to run.
set -euo pipefail

run=(cmake g++ make pkg-config qt6-base-dev libgl-dev qt6-qpa-plugins fonts-dejavu-core)
# The widget tests draw on the offscreen platform with real fonts; the install test validates
# the desktop entry and the AppStream data; GNU parallel runs tabbit-gen's parts side by side.
test=("${run[@]}" libgtest-dev libgmock-dev xvfb xauth xfonts-base parallel
    desktop-file-utils appstream)
fuzz=(cmake make clang-14 libclang-rt-14-dev)
# The speed comparison reads peak memory with /usr/bin/time.
bench=("${run[@]}" libbenchmark-dev time)
# debhelper builds the packages with dpkg-buildpackage (dpkg-dev); lintian and the package test
# check them; autopkgtest runs debian/tests, whose window test needs an X server and xdotool.
package=("${run[@]}" debhelper dpkg-dev file lintian autopkgtest appstream desktop-file-utils
    xvfb xauth xdotool)
# clang-tidy reads the compile commands of every target, tests included.
lint=("${test[@]}" clang-format-14 clang-tidy-14)

goal=${1:-run}
case $goal in
run) packages=("${run[@]}") ;;
test) packages=("${test[@]}") ;;
fuzz) packages=("${fuzz[@]}") ;;
bench) packages=("${bench[@]}") ;;
package) packages=("${package[@]}") ;;
lint) packages=("${lint[@]}") ;;
all) packages=("${test[@]}" "${fuzz[@]}" "${bench[@]}" "${package[@]}" "${lint[@]}") ;;
*)
    echo "usage: setup.sh [run|test|fuzz|bench|package|lint|all]" >&2
    exit 2
    ;;
esac

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}"

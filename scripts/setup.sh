#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, from Debian's packages, whatever the build and the tests need and is missing.
# Does nothing when everything is present. Without root it prints the one command to run.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
    libbenchmark-dev xvfb xauth clang-14 libclang-rt-14-dev xfonts-base fonts-dejavu-core dpkg-dev)

missing=()
for p in "${packages[@]}"; do
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

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the faker libraries that bench/gen_vs_floor.sh times against tabbit-gen: the
# JavaScript one from npm into PEERS_DIR (nothing outside the build folder), the Python one from
# Debian. Either may be missing afterwards; the benchmark times whichever it finds.
# Usage: bench/install_peers.sh [PEERS_DIR]   (default build/peers)
set -uo pipefail

peers=${1:-build/peers}
status=0

echo "== @faker-js/faker (npm) into $peers"
if ! command -v npm > /dev/null; then
    echo "npm is missing: apt-get install npm, then run this again"
    status=1
elif ! version=$(npm view @faker-js/faker version 2> /dev/null); then
    echo "the npm registry does not answer here; the JavaScript library is left out"
    status=1
elif mkdir -p "$peers" && npm install --prefix "$peers" --no-audit --no-fund "@faker-js/faker@$version"; then
    echo "installed @faker-js/faker $version"
else
    echo "npm install failed; the JavaScript library is left out"
    status=1
fi

echo "== Python faker (Debian package python3-fake-factory)"
if /usr/bin/python3 -c 'import faker' 2> /dev/null; then
    echo "already installed"
elif [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y python3-fake-factory || status=1
else
    echo "run as root to install it: sudo apt-get install python3-fake-factory"
    status=1
fi

# A missing peer leaves the benchmark shorter, not broken.
[ "$status" -eq 0 ] || echo "(some peers are missing; the benchmark times the others)"
exit 0

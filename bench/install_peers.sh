#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the faker libraries that bench/gen_vs_floor.sh times against tabbit-gen: the
# JavaScript one from npm into PEERS_DIR (nothing outside the build folder), the Python one from
# Debian. Either may be missing afterwards; the benchmark times whichever it finds.
# Usage: bench/install_peers.sh [PEERS_DIR]   (default build/peers)
set -uo pipefail

peers=${1:-build/peers}
status=0

# debian_install PACKAGE: installs a Debian package as root, or says how to.
debian_install() {
    if [ "$(id -u)" -eq 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y "$1"
    else
        echo "run as root to install it: sudo apt-get install $1"
        return 1
    fi
}

echo "== @faker-js/faker (npm) into $peers"
command -v npm > /dev/null || debian_install npm || status=1
# Release 10 needs Node.js 20.19 or later; Debian 12's Node.js 18 takes release 9.
wanted=@faker-js/faker
node_version=$(node -p 'process.versions.node' 2> /dev/null || echo 0)
if [ "$(printf '%s\n' 20.19.0 "$node_version" | sort -V | head -n 1)" != 20.19.0 ]; then
    wanted=@faker-js/faker@9
fi
if ! command -v npm > /dev/null; then
    status=1
elif ! version=$(npm view "$wanted" version 2> /dev/null | tail -n 1 | sed "s/.* '\(.*\)'$/\1/") ||
    [ -z "$version" ]; then
    echo "the npm registry does not answer here; the JavaScript library is left out"
    status=1
elif mkdir -p "$peers" && npm install --prefix "$peers" --no-audit --no-fund "@faker-js/faker@$version"; then
    echo "installed @faker-js/faker $version for Node.js $node_version"
else
    echo "npm install failed; the JavaScript library is left out"
    status=1
fi

echo "== Python faker (Debian package python3-fake-factory)"
if /usr/bin/python3 -c 'import faker' 2> /dev/null; then
    echo "already installed"
else
    debian_install python3-fake-factory || status=1
fi

# A missing peer leaves the benchmark shorter, not broken.
[ "$status" -eq 0 ] || echo "(some peers are missing; the benchmark times the others)"
exit 0

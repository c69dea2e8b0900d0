#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the desktop icon packaging/icons/scalable/tabbit.svg into the PNG sizes the hicolor
# theme asks for, packaging/icons/<size>/tabbit.png. The results are kept in the repository (the
# window program compiles in the 256-pixel one as its built-in icon); run this only after
# changing the drawing. Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."

command -v rsvg-convert >/dev/null || {
    echo "make_icons.sh needs rsvg-convert: apt-get install librsvg2-bin" >&2
    exit 1
}

svg=packaging/icons/scalable/tabbit.svg
for size in 16 32 48 64 128 256; do
    mkdir -p "packaging/icons/$size"
    rsvg-convert --width "$size" --height "$size" --format png "$svg" \
        --output "packaging/icons/$size/tabbit.png"
done

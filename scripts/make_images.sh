#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Draws the about box's picture with ImageMagick: a sheet of random characters with a die in
# front of it, 120 by 125 pixels, 16 colours. The result is kept in the repository; run this
# only to change it. The desktop icon is drawn as an SVG and rendered by make_icons.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

mono=/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf

# A die face of side $1 at offset 0,0 showing five, as -draw primitives.
die() {
    local s=$1 r=$(($1 / 6)) p=$(($1 / 10))
    local a=$(($1 / 4)) m=$(($1 / 2)) b=$(($1 * 3 / 4))
    echo "fill '#c8102e' stroke '#5a0010' stroke-width $(($1 / 40 + 1))"
    echo "roundrectangle 0,0 $s,$s $r,$r"
    echo "fill white stroke none"
    for c in "$a,$a" "$b,$a" "$m,$m" "$a,$b" "$b,$b"; do
        echo "circle $c ${c%,*},$((${c#*,} + p))"
    done
}

# The about box's picture; what lies outside the sheet and the die is transparent, so the
# window's own colour shows there.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 120x125 xc:none \
    -fill white -stroke '#404040' -strokewidth 1 -draw 'rectangle 4,4 107,104' \
    -fill '#000080' -stroke none -draw 'rectangle 5,5 106,18' \
    -stroke '#808080' -draw 'line 5,33 106,33' -draw 'line 5,48 106,48' \
    -draw 'line 5,63 106,63' -draw 'line 5,78 106,78' -draw 'line 5,93 106,93' \
    -draw 'line 38,5 38,104' -draw 'line 72,5 72,104' \
    -stroke none -font "$mono" -pointsize 10 \
    -fill white -annotate +9+15 'N=5' -annotate +42+15 'C=3' -annotate +76+15 'H=4' \
    -fill black \
    -annotate +8+30 '40372' -annotate +44+30 'QXB' -annotate +76+30 '9F0C' \
    -annotate +8+45 '18826' -annotate +44+45 'KDW' -annotate +76+45 'A1E7' \
    -annotate +8+60 '93051' -annotate +44+60 'ZOP' -annotate +76+60 '03BD' \
    -annotate +8+75 '27764' -annotate +44+75 'MRA' \
    -annotate +8+90 '61490' \
    "$tmp/sheet.png"

convert -size 52x52 xc:none -draw "$(die 48)" -background none -rotate -14 "$tmp/die.png"
# A hard shadow: the die's outline in grey, so that the picture needs no half-transparent pixels.
convert "$tmp/die.png" -alpha extract -threshold 50% -background '#707070' -alpha shape "$tmp/shadow.png"
convert "$tmp/sheet.png" \
    "$tmp/shadow.png" -geometry +57+59 -composite \
    "$tmp/die.png" -geometry +54+56 -composite \
    -channel A -threshold 50% +channel -dither None -colors 16 PNG8:about/Image2.png


#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Draws the about box's picture with ImageMagick (a sheet of random characters with a die in
# front of it, 120 by 125 pixels, 16 colours) and takes the screenshots in docs/. The results
# are kept in the repository; run this only to change them. The desktop icon is drawn as an
# SVG and rendered by make_icons.sh.
#
#   scripts/make_images.sh                       draws the picture
#   scripts/make_images.sh screenshots [TABBIT]  takes the screenshots in docs/ with the
#                                                program TABBIT (build/release/bin/tabbit)
#
# The screenshots are taken of real windows on an X server of their own (Xvfb, 1920 x 1080,
# with openbox drawing the frames), at the desktop fonts 8, 10 and 14 points: the program
# takes its font from the desktop's settings, here a GTK settings file in a home folder of
# the script's own. Needs xvfb, openbox, xdotool, imagemagick and qt6-gtk-platformtheme.
set -euo pipefail
cd "$(dirname "$0")/.."

# Runs the rest of a screenshot session inside the X server: "$0 shoot TABBIT".
if [ "${1:-}" = shoot ]; then
    tabbit=$2
    openbox >/dev/null 2>&1 &
    sleep 1
    # One window of the program at a desktop font of $1 points, its id in $window.
    start() {
        mkdir -p "$HOME/.config/gtk-3.0"
        printf '[Settings]\ngtk-font-name=DejaVu Sans %s\n' "$1" >"$HOME/.config/gtk-3.0/settings.ini"
        QT_QPA_PLATFORMTHEME=gtk3 "$tabbit" >/dev/null 2>&1 &
        pid=$!
        window=$(xdotool search --sync --name '^Create file with random records$' | head -n 1)
        sleep 1
    }
    stop() {
        kill "$pid"
        wait "$pid" 2>/dev/null || true
    }
    shoot() { import -window "$(xdotool search --name "$1" | tail -n 1)" -frame "$2"; }
    for points in 8 10 14; do
        start "$points"
        shoot '^Create file with random records$' "docs/main-window-${points}pt.png"
        stop
    done
    # At the common 10 points, driven by the keyboard alone: the example record 12345; in
    # memo output, generated; then the window enlarged, the manage dialog and the about box.
    start 10
    xdotool windowactivate --sync "$window"
    key() { xdotool key --delay 120 "$@"; sleep 0.3; }
    key alt+r ctrl+a 5 0 0
    key Tab Tab                              # into the grid, Field Size of row 1
    key shift+F10 Down Down Down Down Return # numeric (0..9)
    key 5 Tab Tab                            # row 2
    key shift+F10 Down Down Down Down Down Down Down Down Down Down Down Return # fixed string
    key 1 Tab semicolon
    key ctrl+Tab                             # out of the grid
    key alt+m                                # output in memo
    # From the date format on, Tab meets: end of line, the output choice, the memo, Start,
    # Help, About, Manage Definitions.
    key alt+o Tab Tab Tab Tab space          # Start
    sleep 1
    shoot '^Create file with random records$' docs/main-window.png
    xdotool windowsize --sync "$window" 1000 700
    sleep 1
    shoot '^Create file with random records$' docs/main-window-large.png
    xdotool windowsize --sync "$window" 10 10 # back to its smallest, the design size
    sleep 1
    key alt+o Tab Tab Tab Tab Tab Tab Tab space # Manage Definitions
    key shift+Tab space                      # Save current record definition...
    xdotool type --delay 80 'short list'
    key Return
    key alt+o Tab Tab Tab Tab Tab Tab Tab space # Manage Definitions again, with the new name
    sleep 1
    shoot '^Manage record definitions$' docs/manage-dialog.png
    key Escape
    key alt+o Tab Tab Tab Tab Tab Tab space  # About
    sleep 1
    shoot '^Info about' docs/about-box.png
    key Escape
    stop
    exit 0
fi

if [ "${1:-}" = screenshots ]; then
    tabbit=$(realpath "${2:-build/release/bin/tabbit}")
    # A fixed name, as the file-name edit shows the home folder.
    home=${TMPDIR:-/tmp}/tabbit-home
    rm -rf "$home"
    mkdir -p "$home"
    trap 'rm -rf "$home"' EXIT
    # A home folder of its own: the program's settings file and the GTK settings stay there.
    HOME=$home XDG_CONFIG_HOME=$home/.config QT_SCALE_FACTOR=1 \
        xvfb-run -a -s '-screen 0 1920x1080x24' "$0" shoot "$tabbit"
    exit 0
fi

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
    -channel A -threshold 50% +channel -dither None -colors 16 PNG8:dialogs/resources/Image2.png


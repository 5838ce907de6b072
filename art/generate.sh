#!/usr/bin/env bash
# Draws every picture the program shows into resources/art/, and the desktop menu entry's icons into
# packaging/icons/. The pictures are committed, so building the program needs neither this script nor
# ImageMagick; run it again after changing draw_artwork.cpp.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build > /dev/null
cmake --build build --target draw_artwork -j"$(nproc)" > /dev/null
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
QT_QPA_PLATFORM=offscreen build/art/draw_artwork resources/art "$frames" packaging/icons
# The start menu's strip animation: 9 frames of 50 ms, looping forever.
convert -delay 5 -loop 0 "$frames"/strip_*.png -layers Optimize resources/art/RESNAME.gif
echo "Artwork written to resources/art, the desktop icons to packaging/icons"

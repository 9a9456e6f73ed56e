#!/usr/bin/env bash
# Draws the plug-in's icon (res/zemrix.ico, resource 110): a "Z" on the mode
# panel's colour, at 32 and 16 pixels.  Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
"$(command -v /usr/bin/convert || command -v convert)" -size 32x32 'xc:rgb(255,250,198)' \
    -fill none -stroke 'rgb(40,40,120)' -strokewidth 2 -draw 'rectangle 1,1 30,30' \
    -stroke black -strokewidth 4 -draw 'polyline 8,8 24,8 8,24 24,24' \
    -define icon:auto-resize=32,16 res/zemrix.ico

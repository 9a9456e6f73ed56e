#!/usr/bin/env bash
# tools/page-screenshot.sh PAGE.html OUT.png WIDTH
# Draws a self-contained page with headless Chromium into OUT.png, cut just
# below its content.  Installs Chromium when it is missing; nothing else
# needs a browser, so install-deps.sh does not install one.
set -euo pipefail
page="$1" out="$2" width="$3"

if ! command -v chromium >/dev/null; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends chromium
fi

# A tall window, then the empty page below the content cut away.
shot="${out%.png}-full.png"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 \
    --window-size="$width,4000" --screenshot="$shot" "file://$(realpath "$page")" 2>/dev/null
convert_tool="$(command -v /usr/bin/convert || command -v convert)"
# %@ is the box trimming would keep: WIDTHxHEIGHT+X+Y.
bottom=$("$convert_tool" "$shot" -format '%@' info: | awk -F'[x+]' '{print $2 + $4}')
"$convert_tool" "$shot" -crop "${width}x$((bottom + 24))+0+0" +repage -strip "$out"
rm -f "$shot"
ls -l "$out"

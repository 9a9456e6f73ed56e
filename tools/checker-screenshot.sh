#!/usr/bin/env bash
# Redraws docs/checker-results.png: the cross-check of the five-log contest
# (checker/five-logs), its results.html drawn by headless Chromium.  Installs
# Chromium when it is missing, as tools/report-screenshot.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v chromium >/dev/null; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends chromium
fi

cmake -S . -B build/native >/dev/null
cmake --build build/native --target zemrix-check >/dev/null
workdir=build/checker-shot
rm -rf "$workdir"
build/native/checker/zemrix-check --config checker/five-logs/contest.ini --out "$workdir" \
    checker/five-logs/logs 2>/dev/null

# A tall window, then the empty page below the content cut away.
width=900
shot="$workdir/results-full.png"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 \
    --window-size="$width,3000" --screenshot="$shot" "file://$(realpath "$workdir/results.html")" 2>/dev/null
convert_tool="$(command -v /usr/bin/convert || command -v convert)"
# %@ is the box trimming would keep: WIDTHxHEIGHT+X+Y.
bottom=$("$convert_tool" "$shot" -format '%@' info: | awk -F'[x+]' '{print $2 + $4}')
"$convert_tool" "$shot" -crop "${width}x$((bottom + 24))+0+0" +repage -strip docs/checker-results.png
ls -l docs/checker-results.png

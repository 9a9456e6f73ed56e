#!/usr/bin/env bash
# Redraws docs/report.png: replays the sample log with the Cabrillo export
# and --report, and has headless Chromium draw the page.  Installs Chromium
# when it is missing; nothing else needs a browser, so install-deps.sh does
# not install one.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v chromium >/dev/null; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends chromium
fi

tools/build.sh Stats replay
source tools/wine-session.sh
workdir=build/report-run
rm -rf "$workdir"
wine build/win32/replay.exe --workdir "$workdir" --export \
    --header-file tools/replay/sample/sample-header.ini --header Mode=MIXED \
    --report "$workdir/report.html" tools/replay/sample/zemrix-sample.log >/dev/null

# A tall window, then the empty page below the content cut away.
width=1040
shot="$workdir/report-full.png"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 \
    --window-size="$width,8000" --screenshot="$shot" "file://$(realpath "$workdir/report.html")" 2>/dev/null
convert_tool="$(command -v /usr/bin/convert || command -v convert)"
# %@ is the box trimming would keep: WIDTHxHEIGHT+X+Y.
bottom=$("$convert_tool" "$shot" -format '%@' info: | awk -F'[x+]' '{print $2 + $4}')
"$convert_tool" "$shot" -crop "${width}x$((bottom + 24))+0+0" +repage -strip docs/report.png
ls -l docs/report.png

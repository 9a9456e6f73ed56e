#!/usr/bin/env bash
# Redraws docs/panel.png, docs/mult-list.png and docs/mult-table.png from
# the real Stats.dll on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh Stats ui_screenshots
source tools/wine-session.sh
convert_tool="$(command -v /usr/bin/convert || command -v convert)"
shots=build/screenshots-run
rm -rf "$shots"
mkdir -p "$shots"
wine build/win32/ui_screenshots.exe "$(winepath -w "$shots")"
mkdir -p docs
for name in panel mult-list mult-table; do
    "$convert_tool" "$shots/$name.bmp" -alpha off -strip "docs/$name.png"
done
rm -rf "$shots"
ls -l docs/panel.png docs/mult-list.png docs/mult-table.png

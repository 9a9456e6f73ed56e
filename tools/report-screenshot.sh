#!/usr/bin/env bash
# Redraws docs/report.png: replays the sample log with the Cabrillo export
# and --report, and has headless Chromium draw the page
# (tools/page-screenshot.sh, which installs Chromium when it is missing).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/build.sh
source tools/wine-session.sh
workdir=build/report-run
rm -rf "$workdir"
wine build/win32/replay.exe --workdir "$workdir" --export \
    --header-file tools/replay/sample/sample-header.ini --header Mode=MIXED \
    --report "$workdir/report.html" tools/replay/sample/zemrix-sample.log >/dev/null

tools/page-screenshot.sh "$workdir/report.html" docs/report.png 1040

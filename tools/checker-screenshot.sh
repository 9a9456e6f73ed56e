#!/usr/bin/env bash
# Redraws docs/checker-results.png: the cross-check of the five-log contest
# (checker/five-logs), its results.html drawn by headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/native >/dev/null
cmake --build build/native --target zemrix-check >/dev/null
workdir=build/checker-shot
rm -rf "$workdir"
build/native/checker/zemrix-check --config checker/five-logs/contest.ini --out "$workdir" \
    checker/five-logs/logs 2>/dev/null
tools/page-screenshot.sh "$workdir/results.html" docs/checker-results.png 900

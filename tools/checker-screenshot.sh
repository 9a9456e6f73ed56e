#!/usr/bin/env bash
# Redraws the pictures of the checker's pages in docs/: the five-log
# contest's results page and a whole-log page (checker/five-logs/expected,
# which the golden test holds to what zemrix-check writes), drawn by
# headless Chromium at 1,280 and 390 px wide.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
/usr/bin/python3 checker/five-logs/pages_render_test.py checker/five-logs/expected build/checker-shot \
    --screenshots docs

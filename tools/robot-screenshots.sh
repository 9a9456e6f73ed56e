#!/usr/bin/env bash
# Redraws the README's pictures of the log robot, docs/robot-answer.png and
# docs/robot-organiser.png, by running its browser test in headless Chromium
# with the pictures kept.
set -euo pipefail
cd "$(dirname "$0")/.."
robot=$(tools/build-robot.sh)
/usr/bin/python3 robot/tests/browser_test.py "$robot" build/robot/robot/tests/scratch/screenshots \
  /usr/share/hamradio-files/cty.dat tools/replay/sample/zemrix-sample.log --screenshots docs

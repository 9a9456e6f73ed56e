#!/usr/bin/env bash
# Builds the log robot optimised, in build/robot, and prints the program's
# path: what the demo and the README's pictures run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh >&2
cmake -S . -B build/robot -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/robot --target zemrix-robot -j"$(nproc)" >/dev/null
echo build/robot/robot/zemrix-robot

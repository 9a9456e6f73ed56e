#!/usr/bin/env bash
# Runs every test: the portable core natively under AddressSanitizer and
# UndefinedBehaviorSanitizer, then Stats.dll and the Windows programs under
# Wine on a virtual display, then the release package.  Installs what a
# fresh machine lacks.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DSTATS_SANITIZE=ON >/dev/null
cmake --build build/native -j"$(nproc)"
ctest --test-dir build/native --output-on-failure

tools/build.sh
source tools/wine-session.sh
ctest --test-dir build/win32 --output-on-failure

# The release package, zipped from the binaries just tested and checked as
# an operator receives it.
package=$(tools/package.sh --prebuilt build/win32 --output build/package-ci | tail -n 1)
tools/check-package.sh "$package"

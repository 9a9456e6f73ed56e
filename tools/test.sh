#!/usr/bin/env bash
# Runs every test: the portable core natively under AddressSanitizer and
# UndefinedBehaviorSanitizer, its shared state under ThreadSanitizer, a short
# run of every fuzz target, then Stats.dll and the Windows programs under
# Wine on a virtual display, then the release package.  Installs what a
# fresh machine lacks.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DSTATS_SANITIZE=ON >/dev/null
cmake --build build/native -j"$(nproc)"
ctest --test-dir build/native --output-on-failure

cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DSTATS_TSAN=ON >/dev/null
cmake --build build/tsan -j"$(nproc)"
ctest --test-dir build/tsan --output-on-failure

tools/fuzz.sh 8

tools/build.sh
source tools/wine-session.sh
ctest --test-dir build/win32 --output-on-failure

# The release package, zipped from the binaries just tested and checked as
# an operator receives it.
package=$(tools/package.sh --prebuilt build/win32 --output build/package-ci | tail -n 1)
tools/check-package.sh "$package"

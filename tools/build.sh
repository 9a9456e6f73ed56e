#!/usr/bin/env bash
# Builds the Windows side into build/win32: the given targets, or everything
# (Stats.dll, replay.exe, the Windows test programs and the timing bench).
#
#   tools/build.sh [target...]        e.g. tools/build.sh Stats replay
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --run
# The toolchain is read only when a build folder is first configured; given
# again, CMake would warn that it went unused.
toolchain=()
[ -f build/win32/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake)
cmake -S . -B build/win32 "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=()
[ $# -eq 0 ] || targets=(--target "$@")
cmake --build build/win32 -j"$(nproc)" "${targets[@]}"

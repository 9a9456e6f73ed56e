#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build Stats.dll and run its tests:
# the i686 MinGW-w64 cross compiler, 32-bit Wine, a virtual X display, the
# country and callsign files the replay tool uses, the native test libraries,
# zip for the release package, clang with libFuzzer, and the web robot's
# libraries and browser.
#
#   tools/install-deps.sh          everything
#   tools/install-deps.sh --run    only what building and running replay.exe
#                                  under Wine needs (tools/run.sh)
#
# Safe to run again: it does nothing when everything is present.
set -euo pipefail

only_run=false
[ "${1:-}" = --run ] && only_run=true

need=()
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686)
command -v wine >/dev/null || need+=(wine)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
command -v cmake >/dev/null || need+=(cmake)
[ -f /usr/share/hamradio-files/cty.dat ] || need+=(hamradio-files)
# The Windows build's configuration takes in the Windows tests, GoogleTest's
# sources with them.
[ -d /usr/src/googletest ] || need+=(googletest)
# The checker writes results.json with it (header-only, in both builds).
dpkg -s nlohmann-json3-dev >/dev/null 2>&1 || need+=(nlohmann-json3-dev)
if ! $only_run; then
  command -v import >/dev/null || need+=(imagemagick)
  command -v zip >/dev/null || need+=(zip)
  command -v unzip >/dev/null || need+=(unzip)
  # fuser: the full-disk test waits until nothing holds its disk.
  command -v fuser >/dev/null || need+=(psmisc)
  dpkg -s libbenchmark-dev >/dev/null 2>&1 || need+=(libbenchmark-dev)
  # clang with libFuzzer and its sanitizer runtimes, for tools/fuzz.sh.
  command -v clang++ >/dev/null || need+=(clang)
  dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
  # The web robot: HTTP, its database, password hashing and tokens, the zip of
  # a cross-check, gzip for the bodies its transport tests send; headless
  # Chromium driven by Selenium for its browser test; the schema check of
  # the checker's results.json.
  command -v curl >/dev/null || need+=(curl)
  for package in pkg-config libcpp-httplib-dev libsqlite3-dev libsodium-dev libzip-dev zlib1g-dev \
                 chromium chromium-driver python3-selenium python3-jsonschema; do
    dpkg -s "$package" >/dev/null 2>&1 || need+=("$package")
  done
fi

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"

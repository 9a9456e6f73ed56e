#!/usr/bin/env bash
# Runs a Windows test program under Wine with its working directory on a
# 64 KB disk of its own (a tmpfs mounted for the run, which needs root, as
# the test command has), mounted in the build folder where CTest runs it.
# Exit 77, a skip for CTest, when no such disk can be mounted.
set -euo pipefail
program="$1"
disk="$(mktemp -d -p "$PWD" full-disk.XXXXXX)"
if ! mount -t tmpfs -o size=64k tmpfs "$disk" 2>/dev/null; then
  rmdir "$disk"
  echo "no small disk could be mounted (not root?): skipped"
  exit 77
fi
trap 'cd /; umount "$disk"; rmdir "$disk"' EXIT
mkdir "$disk/Plugins"
cd "$disk"
wine "$program"

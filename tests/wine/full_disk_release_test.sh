#!/usr/bin/env bash
# full_disk_test.sh lets go of its disk however the program went: its status
# is the program's, also while a process the program left behind holds the
# disk for a while, and the disk is never left mounted.  The "wine" here is
# a stand-in that runs the program, a shell script, as it is.
#   full_disk_release_test.sh FULL_DISK_TEST_SH
# Exit 77, a skip for CTest, when no disk can be mounted (not root).
set -euo pipefail
runner="$(realpath "$1")"
work="$(mktemp -d -p "$PWD" full-disk-release.XXXXXX)"
detach_all() {
  local mount
  for mount in $(grep -o "$work/[^ ]*" /proc/mounts || true); do umount -l "$mount"; done
}
trap 'detach_all; rm -rf "$work"' EXIT
mkdir "$work/bin"
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/wine"
chmod +x "$work/bin/wine"

failed=0
# The program's status, and how long a process it leaves holds the disk.
for case in "0 0" "0 3" "1 3" "1 0"; do
  read -r status holds <<<"$case"
  printf '#!/bin/sh\nsleep %s &\nexit %s\n' "$holds" "$status" >"$work/program"
  chmod +x "$work/program"
  got=0
  (cd "$work" && PATH="$work/bin:$PATH" bash "$runner" "$work/program") >"$work/output" 2>&1 || got=$?
  if [ "$got" = 77 ]; then
    echo "no small disk could be mounted (not root?): skipped"
    exit 77
  fi
  what="program status $status, disk held $holds s after it"
  if [ "$got" != "$status" ]; then
    echo "$what: the run's status was $got"
    cat "$work/output"
    failed=1
  fi
  if grep -q "$work/" /proc/mounts; then
    echo "$what: the disk was left mounted"
    detach_all
    failed=1
  fi
  if compgen -G "$work/full-disk.*" >/dev/null; then
    echo "$what: the disk's folder was left"
    failed=1
  fi
done
exit "$failed"

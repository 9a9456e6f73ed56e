#!/usr/bin/env bash
# full_disk_test.sh FILE's status is the program's, also while a process the
# program left behind holds the disk for seconds, and the disk is never left
# mounted.  The "wine" here runs the program, a shell script, as it is.
# Exit 77, a skip for CTest, when no disk can be mounted (not root).
set -euo pipefail
runner="$(realpath "$1")"
work="$(mktemp -d -p "$PWD" full-disk-release.XXXXXX)"
detach_all() {
  for mount in $(grep -o "$work/[^ ]*" /proc/mounts || true); do umount -l "$mount"; done
}
trap 'detach_all; rm -rf "$work"' EXIT
mkdir "$work/bin"
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/wine"
chmod +x "$work/bin/wine"
failed=0
for case in "0 0" "0 3" "1 3"; do  # the program's status, seconds its leftover holds the disk
  read -r status holds <<<"$case"
  printf '#!/bin/sh\nsleep %s &\nexit %s\n' "$holds" "$status" >"$work/program"
  chmod +x "$work/program"
  got=0
  (cd "$work" && PATH="$work/bin:$PATH" bash "$runner" "$work/program") >"$work/output" 2>&1 || got=$?
  [ "$got" != 77 ] || { echo "no small disk could be mounted (not root?): skipped"; exit 77; }
  if [ "$got" != "$status" ] || grep -q "$work/" /proc/mounts || compgen -G "$work/full-disk.*" >/dev/null; then
    echo "status $status, disk held $holds s: the run gave $got, mounted or left: $(grep -c "$work/" /proc/mounts)"
    cat "$work/output"
    detach_all
    failed=1
  fi
done
exit "$failed"

#!/usr/bin/env bash
# Runs a Windows test program under Wine with its working directory on a
# 64 KB disk of its own (a tmpfs mounted for the run, which needs root, as
# the test command has), mounted in the build folder where CTest runs it.
# Exit 77, a skip for CTest, when no such disk can be mounted; otherwise the
# program's own status, however the disk goes away after it.
set -uo pipefail
program="$1"
disk="$(mktemp -d -p "$PWD" full-disk.XXXXXX)"
if ! mount -t tmpfs -o size=64k tmpfs "$disk" 2>/dev/null; then
  rmdir "$disk"
  echo "no small disk could be mounted (not root?): skipped"
  exit 77
fi

# The program's process may end before the Wine server has closed what it
# held on the disk (its working directory among it), on a busy machine for
# seconds.  Wait, bounded, until nothing uses the disk, then unmount, a few
# tries; as a last resort detach it lazily, so that it is never left
# mounted, whatever still holds it.
release_disk() {
  cd / || return
  for _ in $(seq 150); do
    fuser -m "$disk" >/dev/null 2>&1 || break
    sleep 0.2
  done
  for _ in $(seq 5); do
    umount "$disk" 2>/dev/null && break
    sleep 1
  done
  if mountpoint -q "$disk"; then
    echo "the disk was still in use after 35 s: detached lazily" >&2
    umount -l "$disk"
  fi
  rmdir "$disk"
}
trap release_disk EXIT

mkdir "$disk/Plugins"
(cd "$disk" && wine "$program")

#!/usr/bin/env bash
# dorvik-cli on real small volumes, in a mount namespace of its own, so that
# the machine's mounts are neither seen nor touched:
#   volumes_run.sh tmpfs CLI  a split that does not fit a 20 MB tmpfs
#   volumes_run.sh fat CLI    a 5 GiB piece onto a FAT image mounted through
#                             FUSE, and the disk loop onto that image mounted
#                             where desktops mount sticks
# Exit 77 (skipped) when this machine cannot set it up.
set -u
mode=$1 cli=$2
skip() {
  echo "skipped: $*"
  exit 77
}
if [ -z "${DORVIK_IN_NAMESPACE:-}" ]; then
  [ "$(id -u)" = 0 ] || skip "mounting needs root"
  unshare --mount --propagation private true 2>/dev/null || skip "no mount namespace here"
  if [ "$mode" = fat ]; then
    command -v fusefat >/dev/null && command -v mkfs.vfat >/dev/null ||
      skip "fusefat or mkfs.vfat is missing (bash scripts/deps.sh installs them)"
    [ -c /dev/fuse ] || skip "no /dev/fuse"
  fi
  DORVIK_IN_NAMESPACE=1 exec unshare --mount --propagation private bash "$0" "$@"
fi

failed=0
expect() { # what, then a command that must succeed
  if eval "$2"; then echo "ok: $1"; else
    echo "FAILED: $1"
    failed=1
  fi
}
work=$(mktemp -d /tmp/dorvik-volumes-XXXXXX)
cleanup() {
  fusermount -u /media/ann/STICK 2>/dev/null
  umount "$work/small" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# No stick of the machine's, and no /media/floppy.
mount -t tmpfs tmpfs /media || exit 1
[ -d /run/media ] && mount -t tmpfs tmpfs /run/media

if [ "$mode" = tmpfs ]; then
  mkdir "$work/small" && mount -t tmpfs -o size=20m tmpfs "$work/small" || exit 1
  head -c 30000000 /dev/urandom >"$work/src.bin"
  "$cli" split "$work/src.bin" -n 2 -d "$work/small" </dev/null 2>"$work/err"
  expect "30 MB into 20 MB: asked, exit 1 without --yes" '[ $? = 1 ]'
  expect "the question names the need" 'grep -q "^dorvik-cli: Splitting needs 30016389 bytes" "$work/err"'
  expect "nothing written" '[ -z "$(ls -A "$work/small")" ]'
  "$cli" split "$work/src.bin" -n 2 -d "$work/small" --yes </dev/null 2>"$work/err"
  expect "with --yes it tries and fails: exit 3" '[ $? = 3 ]'
  expect "the system's reason" 'grep -q "No space left on device" "$work/err"'
  expect "and leaves nothing behind" '[ -z "$(ls -A "$work/small")" ]'
else
  truncate -s 64M "$work/fat.img" && mkfs.vfat -F 32 -n STICK "$work/fat.img" >/dev/null &&
    mkdir -p /media/ann/STICK && fusefat -o rw+ "$work/fat.img" /media/ann/STICK >/dev/null 2>&1 ||
    exit 1
  before=$(ls -A /media/ann/STICK)
  truncate -s 10737418241 "$work/huge.img" # sparse: two pieces of 5 GiB
  "$cli" split "$work/huge.img" -n 2 -d /media/ann/STICK --yes </dev/null 2>"$work/err"
  expect "a 5 GiB piece onto FAT: refused, exit 1" '[ $? = 1 ]'
  expect "naming the piece and the limit" \
    'grep -q "/media/ann/STICK/huge.000: this file would have 5368680005 bytes; the fuse.fusefat file system of /media/ann/STICK holds files of at most 4294967295 bytes" "$work/err"'
  expect "nothing written" '[ "$(ls -A /media/ann/STICK)" = "$before" ]'

  head -c 100000 /dev/urandom >"$work/f.bin"
  "$cli" split "$work/f.bin" -n 3 -d "$work/out" --floppy --yes </dev/null 2>"$work/err"
  expect "the disk loop finds the stick: exit 0" '[ $? = 0 ]'
  for k in 0 1 2; do
    expect "f.00$k is on the stick" 'cmp -s "$work/out/f.00$k" /media/ann/STICK/f.00$k'
  done
fi
[ "$failed" = 0 ] || cat "$work/err"
exit "$failed"

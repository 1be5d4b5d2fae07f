#!/usr/bin/env bash
# dorvik-cli on real small volumes, in a mount namespace of its own (the
# machine's mounts are neither seen nor touched). "tmpfs": a split that does
# not fit a 20 MB tmpfs. "fat": a 5 GiB piece onto a FAT image mounted
# through FUSE, and the disk loop onto it, mounted where desktops mount
# sticks. Exit 77 (skipped) where this cannot be set up.
set -u
mode=$1 cli=$2 work=
skip() { echo "skipped: $*" && exit 77; }
if [ -z "${DORVIK_IN_NAMESPACE:-}" ]; then
  [ "$(id -u)" = 0 ] || skip "mounting needs root"
  unshare -m --propagation private true 2>/dev/null || skip "no mount namespace here"
  [ "$mode" = tmpfs ] || { command -v fusefat && command -v mkfs.vfat && [ -c /dev/fuse ]; } \
    >/dev/null || skip "no FUSE, fusefat or mkfs.vfat (bash scripts/deps.sh installs them)"
  DORVIK_IN_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$@"
fi
failed=0
expect() { eval "$2" && echo "ok: $1" || { echo "FAILED: $1" && failed=1; }; }
work=$(mktemp -d /tmp/dorvik-volumes-XXXXXX)
trap '{ fusermount -u /media/a/STICK; umount "$work/small"; } 2>/dev/null; rm -rf "$work"' EXIT
mount -t tmpfs tmpfs /media || exit 1 # no stick of the machine's, no /media/floppy
split() { "$cli" split "$@" </dev/null 2>"$work/err"; }

if [ "$mode" = tmpfs ]; then
  mkdir "$work/small" && mount -t tmpfs -o size=20m tmpfs "$work/small" || exit 1
  head -c 30000000 /dev/urandom >"$work/src.bin"
  split "$work/src.bin" -n 2 -d "$work/small/new"
  expect "30 MB into 20 MB: asked; exit 1 without --yes" '[ $? = 1 ]'
  expect "naming the need" 'grep -q "^dorvik-cli: Splitting needs 30016389 bytes" "$work/err"'
  split "$work/src.bin" -n 2 -d "$work/small" --yes
  expect "with --yes it fails: exit 3, the system's reason" \
    '[ $? = 3 ] && grep -q "No space left on device" "$work/err"'
  expect "nothing left" '[ -z "$(ls -A "$work/small")" ]'
else
  truncate -s 64M "$work/fat.img" && mkfs.vfat -F 32 -n STICK "$work/fat.img" >/dev/null &&
    mkdir -p /media/a/STICK && fusefat -o rw+ "$work/fat.img" /media/a/STICK &>/dev/null || exit 1
  before=$(ls -A /media/a/STICK)
  truncate -s 10737418241 "$work/huge.img" # sparse: two pieces of 5 GiB
  split "$work/huge.img" -n 2 -d /media/a/STICK --yes
  expect "a 5 GiB piece onto FAT: refused, exit 1" '[ $? = 1 ] && grep -q "STICK/huge.000: this file would have 5368680005 bytes; the fuse.fusefat file system of /media/a/STICK holds files of at most 4294967295 bytes" "$work/err"'
  expect "nothing written" '[ "$(ls -A /media/a/STICK)" = "$before" ]'
  head -c 100000 /dev/urandom >"$work/f.bin"
  split "$work/f.bin" -n 3 -d "$work/out" --floppy --yes
  expect "the disk loop finds the stick, copies every piece" '[ $? = 0 ] && cmp "$work/out/f.000" \
    /media/a/STICK/f.000 && cmp "$work/out/f.001" /media/a/STICK/f.001 && cmp "$work/out/f.002" \
    /media/a/STICK/f.002'
fi
[ "$failed" = 0 ] || cat "$work/err"
exit "$failed"

#!/usr/bin/env bash
# Destroys a tree on a real ext2 or NTFS image through a hand-off run of the
# real program under Wine (which reaches the mount through Z: as an ordinary
# folder), unmounts it and reads the raw image: no block of the destroyed
# contents may be left on it, nor the marks planted after the end of files
# in their last clusters; a file beside the tree must be left whole. (Both
# file systems, driven by Linux, clear the slack of a last cluster that is
# written again themselves: the tip marks guard against an overwrite that
# misses a file's last cluster, not the overwrite past the file's end.) The destroyed files' names left on the image are
# counted and held to at most what the file system is known to keep.
#   forensic_test.sh ext2|ntfs <wine-run> <forensic_run.exe>
# Needs root for the loop and FUSE mounts; fails, never skips, without them.
set -euo pipefail
fs=$1 wine_run=$2 runner=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

fail() {
  echo "FORENSIC $fs FAILED: $*" >&2
  exit 1
}
[ "$(id -u)" -eq 0 ] || fail "must run as root to make and mount a $fs image"
for tool in mkfs.ext2 mkntfs ntfs-3g perl; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/setup installs it)"
done

work=$(mktemp -d "/tmp/kx-forensic-$fs.XXXXXX")
image=$work/$fs.img
mnt=$work/mnt
log=$work/log
cleanup() {
  if mountpoint -q "$mnt"; then umount "$mnt" 2>/dev/null || umount -l "$mnt" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$mnt"

# Names left at most. ext2 keeps every removed entry's name in its freed
# directory blocks. On NTFS the files' own records keep none, and the copies
# of entries that a folder's index leaves in its slack when it moves them
# (from the index root in the folder's record into an index block as the
# folder grows, and within that block) are overwritten by the files laid in
# the emptied folder before it goes.
case $fs in
  ext2) cluster=1024 names_allowed=16 ;;
  ntfs) cluster=4096 names_allowed=0 ;;
  *) fail "unknown file system (ext2 or ntfs)" ;;
esac
truncate -s 48M "$image"
case $fs in
  ext2) mkfs.ext2 -q -F -b "$cluster" "$image" >"$log" 2>&1 || fail "mkfs.ext2: $(cat "$log")" ;;
  ntfs) mkntfs -q -F -f -c "$cluster" "$image" >"$log" 2>&1 || fail "mkntfs: $(cat "$log")" ;;
esac
mount_image() {
  case $fs in
    ext2)
      mount -o loop "$image" "$mnt" >"$log" 2>&1 ||
        fail "cannot loop-mount the ext2 image (loop devices needed): $(cat "$log")"
      ;;
    ntfs)
      ntfs-3g "$image" "$mnt" >"$log" 2>&1 ||
        fail "cannot mount the NTFS image with ntfs-3g (/dev/fuse needed): $(cat "$log")"
      ;;
  esac
  mountpoint -q "$mnt" || fail "the $fs image is not mounted"
}
unmount_image() {
  for attempt in 1 2 3 4 5; do
    umount "$mnt" 2>"$log" && return
    [ "$attempt" -lt 5 ] || fail "cannot unmount the $fs image: $(cat "$log")"
    sleep 1
  done
}

mount_image
perl "$here/forensic_image.pl" fill "$mnt" || fail "cannot lay out the tree"
cp "$mnt/Sentinel-Halvorn.txt" "$work/sentinel"
unmount_image
perl "$here/forensic_image.pl" tips "$image" "$cluster" || fail "cannot mark the cluster tips"
# The search must see every block of the tree (and every planted mark) before
# the run, or finding none afterwards proves nothing.
read -r _ before total _ _ _ _ _ _ _ _ tips_before _ \
  <<<"$(perl "$here/forensic_image.pl" scan "$image")"
[ "$before" -eq "$total" ] ||
  fail "before the run the image shows $before of the tree's $total marked blocks"
[ "$tips_before" -gt 0 ] || fail "no cluster tip marks are on the image before the run"
mount_image

"$wine_run" "$runner" "Z:${mnt//\//\\}\\tree" || fail "the hand-off run did not destroy the tree"
cmp -s "$work/sentinel" "$mnt/Sentinel-Halvorn.txt" && same=yes || same=no

unmount_image

read -r _ found total _ ansi utf16 names _ kept sentinel _ tips_left _ left \
  <<<"$(perl "$here/forensic_image.pl" scan "$image")"
intact=no
[ "$same" = yes ] && [ "$kept" -eq "$sentinel" ] && intact=yes
echo "FORENSIC $fs: content blocks found $found of $total;" \
  "names found ANSI $ansi/$names, UTF-16LE $utf16/$names;" \
  "cluster tip marks $tips_left of $tips_before;" \
  "sentinel intact $intact ($kept of $sentinel blocks on the image)"
[ "$found" -eq 0 ] ||
  fail "$found blocks of destroyed contents are still on the image (name:size:blocks $left)"
[ "$tips_left" -eq 0 ] || fail "$tips_left marks in cluster tips are still on the image"
[ $((ansi + utf16)) -le "$names_allowed" ] ||
  fail "$((ansi + utf16)) traces of the destroyed files' names are on the image (at most $names_allowed)"
[ "$intact" = yes ] || fail "the sentinel beside the tree did not survive whole"

#!/usr/bin/env bash
# Destroys a tree on a real ext2 or NTFS image through a hand-off run of the
# real program under Wine (which reaches the mount through Z: as an ordinary
# folder), unmounts it and reads the raw image: no block of the destroyed
# contents may be left on it, and a file beside the tree must be left whole.
# How many of the destroyed files' names the image still holds is printed,
# not judged.
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

truncate -s 48M "$image"
case $fs in
  ext2)
    mkfs.ext2 -q -F "$image" >"$log" 2>&1 || fail "mkfs.ext2: $(cat "$log")"
    mount -o loop "$image" "$mnt" >"$log" 2>&1 ||
      fail "cannot loop-mount the ext2 image (loop devices needed): $(cat "$log")"
    ;;
  ntfs)
    mkntfs -q -F -f "$image" >"$log" 2>&1 || fail "mkntfs: $(cat "$log")"
    ntfs-3g "$image" "$mnt" >"$log" 2>&1 ||
      fail "cannot mount the NTFS image with ntfs-3g (/dev/fuse needed): $(cat "$log")"
    ;;
  *) fail "unknown file system (ext2 or ntfs)" ;;
esac
mountpoint -q "$mnt" || fail "the $fs image is not mounted"

perl "$here/forensic_image.pl" fill "$mnt"
cp "$mnt/Sentinel-Halvorn.txt" "$work/sentinel"
sync
# The search must see every block of the tree before the run, or finding none
# afterwards proves nothing.
read -r _ before total _ <<<"$(perl "$here/forensic_image.pl" scan "$image")"
[ "$before" -eq "$total" ] ||
  fail "before the run the image shows $before of the tree's $total marked blocks"

"$wine_run" "$runner" "Z:${mnt//\//\\}\\tree" || fail "the hand-off run did not destroy the tree"
cmp -s "$work/sentinel" "$mnt/Sentinel-Halvorn.txt" && same=yes || same=no

for attempt in 1 2 3 4 5; do
  umount "$mnt" 2>"$log" && break
  [ "$attempt" -lt 5 ] || fail "cannot unmount the $fs image: $(cat "$log")"
  sleep 1
done

read -r _ found total _ ansi utf16 names _ kept sentinel _ left \
  <<<"$(perl "$here/forensic_image.pl" scan "$image")"
intact=no
[ "$same" = yes ] && [ "$kept" -eq "$sentinel" ] && intact=yes
echo "FORENSIC $fs: content blocks found $found of $total;" \
  "names found ANSI $ansi/$names, UTF-16LE $utf16/$names; sentinel intact $intact" \
  "($kept of $sentinel blocks on the image)"
[ "$found" -eq 0 ] ||
  fail "$found blocks of destroyed contents are still on the image (name:size:blocks $left)"
[ "$intact" = yes ] || fail "the sentinel beside the tree did not survive whole"

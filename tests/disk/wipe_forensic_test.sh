#!/usr/bin/env bash
# Wipes the free space of a real ext2 or NTFS image, made a drive of the Wine
# prefix, from the real program's main window, and reads the raw image after
# unmounting it: no block of the files deleted before may be left on it,
# nothing the wipe made may be left on the volume, and the volume's free
# space (but for one step of NTFS's file record table) and the file beside
# the deleted tree must be as they were.
#   wipe_forensic_test.sh ext2|ntfs deleted|destroyed|cancel|fail|close|kill
#       <wine-run> <wipe_run.exe> <forensic_run.exe> [screenshots]
# deleted:   the tree was deleted the ordinary way before the wipe;
# destroyed: the tree was destroyed by the program (no wipe), then wiped;
# cancel:    the wipe is cancelled once it has written something;
# fail:      every write past 2 MiB of a file fails ("file too large");
# close:     the program is told to close while it wipes;
# kill:      the process is killed while it wipes, then the drive is wiped
#            again, which takes away what the killed one left.
# Needs root for the loop and FUSE mounts; fails, never skips, without them.
set -euo pipefail
fs=$1 case=$2 wine_run=$3 wipe_run=$4 forensic_run=$5 shots=${6:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
image_tool=$here/../app/forensic_image.pl

fail() {
  echo "WIPE $fs $case FAILED: $*" >&2
  exit 1
}
[ "$(id -u)" -eq 0 ] || fail "must run as root to make and mount a $fs image"
for tool in mkfs.ext2 mkntfs ntfs-3g perl; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/setup installs it)"
done

work=$(mktemp -d "/tmp/kx-wipe-$fs.XXXXXX")
image=$work/$fs.img
mnt=$work/mnt
log=$work/log
cleanup() {
  if mountpoint -q "$mnt"; then umount "$mnt" 2>/dev/null || umount -l "$mnt" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$mnt"

# The cancelled wipe needs a volume that takes a moment to fill.
size=32M
case $case in cancel | close | kill) size=160M ;; esac
truncate -s "$size" "$image"
case $fs in
  ext2) mkfs.ext2 -q -F -b 1024 "$image" >"$log" 2>&1 || fail "mkfs.ext2: $(cat "$log")" ;;
  ntfs) mkntfs -q -F -f -c 4096 "$image" >"$log" 2>&1 || fail "mkntfs: $(cat "$log")" ;;
  *) fail "unknown file system (ext2 or ntfs)" ;;
esac
mount_image() {
  case $fs in
    ext2) mount -o loop "$image" "$mnt" >"$log" 2>&1 || fail "cannot loop-mount: $(cat "$log")" ;;
    ntfs) ntfs-3g "$image" "$mnt" >"$log" 2>&1 || fail "cannot mount with ntfs-3g: $(cat "$log")" ;;
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
scan() { perl "$image_tool" scan "$image"; }

mount_image
perl "$image_tool" fill "$mnt" || fail "cannot lay out the tree"
cp "$mnt/Sentinel-Halvorn.txt" "$work/sentinel"
unmount_image
read -r _ before total _ _ _ _ _ _ _ _ _ _ <<<"$(scan)"
[ "$before" -eq "$total" ] || fail "before the run the image shows $before of $total marked blocks"
mount_image
if [ "$case" = destroyed ]; then
  "$wine_run" "$forensic_run" "Z:${mnt//\//\\}\\tree" || fail "the program did not destroy the tree"
else
  rm -rf "$mnt/tree"
fi
unmount_image
read -r _ deleted _ _ ansi_before utf16_before names _ <<<"$(scan)"
mount_image
free_before=$(stat -f -c %f "$mnt")

wipe() { "$wine_run" "$wipe_run" W "$mnt" "$1" $shots; }
case $case in
  deleted | destroyed) wipe wipe || fail "the wipe did not run through" ;;
  cancel) wipe cancel || fail "the cancelled wipe did not end as it should" ;;
  close) wipe close || fail "the program told to close did not end as it should" ;;
  kill)
    wipe kill || fail "the killed wipe left more than its empty folder"
    wipe wipe || fail "the wipe after the killed one did not run through"
    ;;
  fail) (trap '' XFSZ; ulimit -f 2048; wipe fail) || fail "the failed wipe did not end as it should" ;;
esac
left=$(find "$mnt" -mindepth 1 -maxdepth 1 -name 'KX*' | wc -l)
free_after=$(stat -f -c %f "$mnt")
cmp -s "$work/sentinel" "$mnt/Sentinel-Halvorn.txt" && same=yes || same=no
unmount_image
read -r _ found _ _ ansi utf16 _ _ kept sentinel _ _ _ left_files <<<"$(scan)"
echo "WIPE $fs $case: marked blocks before the wipe $deleted of $total, after $found;" \
  "names ANSI $ansi_before -> $ansi, UTF-16LE $utf16_before -> $utf16 (of $names);" \
  "free blocks $free_before before, $free_after after; left at the root $left;" \
  "sentinel intact $same ($kept of $sentinel blocks)"
[ "$left" -eq 0 ] || fail "the wipe left $left items at the volume's root"
# NTFS never gives back what its file record table grew by, and the wipe can
# only tell that no free record was left once the table has grown: one step
# (16 records of 1 KiB under ntfs-3g) is allowed there, no more.
grown_allowed=0
[ "$fs" = ntfs ] && grown_allowed=$((16 * 1024 / 4096))
[ "$free_after" -le "$free_before" ] && [ $((free_before - free_after)) -le "$grown_allowed" ] ||
  fail "free blocks were $free_before, are $free_after"
[ "$same" = yes ] && [ "$kept" -eq "$sentinel" ] || fail "the sentinel did not survive whole"
case $case in
  deleted) [ "$deleted" -gt 0 ] || fail "no marked block was left to wipe" ;;&
  deleted | destroyed | kill) [ "$found" -eq 0 ] || fail "$found marked blocks are still on the image ($left_files)" ;;
esac

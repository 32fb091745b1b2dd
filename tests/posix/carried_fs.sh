#!/bin/sh
# Mounts and removes the file systems users carry, each through Debian's own FUSE driver, on an
# image file of its own: for the tests and benchmarks that check the copy on them.
#
#   carried_fs.sh mount KIND FOLDER [SIZE]   makes FOLDER/image (SIZE for truncate, default 256M)
#                                            and mounts it at FOLDER/mount
#   carried_fs.sh unmount FOLDER             unmounts FOLDER/mount and frees what mount took
#   carried_fs.sh run KIND COMMAND...         mounts KIND in a fresh temporary folder, runs the
#                                            command with VANTREL_CARRIED_FS_MOUNT naming the
#                                            mount point and VANTREL_CARRIED_FS_KIND the kind,
#                                            unmounts, and exits with its status
#
# KIND is one of
#   exfat        exfat-fuse on an image made by mkfs.exfat (exfatprogs)
#   fat32        fusefat on an image made by mkfs.vfat -F 32 (dosfstools)
#   ntfs         ntfs-3g on an image made by mkntfs
#   passthrough  bindfs over a folder (FOLDER/image is then that folder): a FUSE file system
#                that hands every call to the one below it, as phone and cloud mounts do
#
# Run as root, exfat-fuse asks the kernel for a block device, so its image is attached to a loop
# device first (FOLDER/loop remembers which); the other drivers take the image file itself.
# Exit status: 0 done, 1 failed, 3 the driver or a tool it needs is not installed (the caller
# may then skip).
set -u

usage() {
  echo "usage: carried_fs.sh mount exfat|fat32|ntfs|passthrough FOLDER [SIZE] | unmount FOLDER" >&2
  exit 1
}

need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || PATH="$PATH:/sbin:/usr/sbin" command -v "$tool" \
      >/dev/null 2>&1 || { echo "carried_fs: $tool is not installed" >&2; exit 3; }
  done
}

# Waits until the kernel lists the mount, at most 5 s: the drivers return before it is ready.
wait_listed() {
  tries=0
  until grep -q " $(realpath "$1") " /proc/self/mountinfo; do
    [ $tries -ge 50 ] && { echo "carried_fs: $1 was not mounted" >&2; exit 1; }
    tries=$((tries + 1))
    sleep 0.1
  done
}

mount_kind() {
  kind=$1 folder=$2 size=$3
  image=$folder/image mount_point=$folder/mount
  mkdir -p "$mount_point" || exit 1
  PATH="$PATH:/sbin:/usr/sbin"
  case $kind in
    exfat)
      need mkfs.exfat mount.exfat-fuse
      truncate -s "$size" "$image" && mkfs.exfat "$image" >/dev/null || exit 1
      device=$image
      if [ "$(id -u)" -eq 0 ]; then
        need losetup
        device=$(losetup -f --show "$image") || exit 1
        echo "$device" >"$folder/loop"
      fi
      mount.exfat-fuse -o nonempty "$device" "$mount_point" >/dev/null 2>"$folder/driver.log" ||
        { cat "$folder/driver.log" >&2; exit 1; }
      ;;
    fat32)
      need mkfs.vfat fusefat
      truncate -s "$size" "$image" && mkfs.vfat -F 32 "$image" >/dev/null || exit 1
      fusefat -o rw+ "$image" "$mount_point" >"$folder/driver.log" 2>&1 ||
        { cat "$folder/driver.log" >&2; exit 1; }
      ;;
    ntfs)
      need mkntfs ntfs-3g
      truncate -s "$size" "$image" && mkntfs -F -Q "$image" >/dev/null 2>&1 || exit 1
      ntfs-3g "$image" "$mount_point" >"$folder/driver.log" 2>&1 ||
        { cat "$folder/driver.log" >&2; exit 1; }
      ;;
    passthrough)
      need bindfs
      mkdir -p "$image" || exit 1
      bindfs "$image" "$mount_point" >"$folder/driver.log" 2>&1 ||
        { cat "$folder/driver.log" >&2; exit 1; }
      ;;
    *) usage ;;
  esac
  wait_listed "$mount_point"
}

unmount_folder() {
  folder=$1
  mount_point=$folder/mount
  if grep -q " $(realpath "$mount_point") " /proc/self/mountinfo 2>/dev/null; then
    fusermount3 -u "$mount_point" 2>/dev/null || fusermount -u "$mount_point" 2>/dev/null ||
      umount -l "$mount_point" || exit 1
  fi
  if [ -f "$folder/loop" ]; then
    # The driver lets go of the device a moment after the unmount returns.
    tries=0
    until losetup -d "$(cat "$folder/loop")" 2>/dev/null; do
      [ $tries -ge 50 ] && { echo "carried_fs: could not free $(cat "$folder/loop")" >&2; exit 1; }
      tries=$((tries + 1))
      sleep 0.1
    done
    rm -f "$folder/loop"
  fi
}

run_on() {
  kind=$1
  shift
  folder=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-carried.XXXXXX") || exit 1
  (mount_kind "$kind" "$folder" 256M) || { status=$?; rm -rf "$folder"; exit $status; }
  VANTREL_CARRIED_FS_MOUNT=$folder/mount VANTREL_CARRIED_FS_KIND=$kind "$@"
  status=$?
  (unmount_folder "$folder") || status=1
  rm -rf "$folder"
  exit $status
}

case ${1:-} in
  mount) [ $# -ge 3 ] || usage; mount_kind "$2" "$3" "${4:-256M}" ;;
  run) [ $# -ge 3 ] || usage; shift; run_on "$@" ;;
  unmount) [ $# -eq 2 ] || usage; unmount_folder "$2" ;;
  *) usage ;;
esac

#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Vantrel needs, when any is missing;
# given package names, installs those instead.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libbenchmark-dev qt6-base-dev
          fonts-dejavu-core fonts-liberation2 xvfb clang-format desktop-file-utils appstream dpkg-dev
          pkgconf clang-tidy fuse3 libfuse3-dev qt6-base-private-dev weston qt6-wayland libxtst-dev
          at-spi2-core dbus-daemon python3-pyatspi gir1.2-atspi-2.0 xdotool
          gtk-update-icon-cache xauth lintian
          exfat-fuse exfatprogs fusefat dosfstools ntfs-3g bindfs)
[ $# -gt 0 ] && packages=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

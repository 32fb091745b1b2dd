#!/usr/bin/env bash
# Installs the Debian 12 packages that the Windows build and its tests under Wine need, when any
# is missing: the mingw-w64 cross compilers with posix threads, Wine (64-bit), Wine's fonts, an
# X server and a small window manager for the windows the tests open.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb jwm googletest)
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

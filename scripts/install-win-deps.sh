#!/usr/bin/env bash
# Installs the Debian 12 packages that the Windows build and its tests under Wine need, when any
# is missing: the mingw-w64 cross compilers with posix threads, Wine (64-bit), Wine's fonts, an
# X server and a small window manager for the windows the tests open; NSIS to make the installer,
# and xdotool and unzip to try the installer and the zip as a user would.
set -euo pipefail

exec "$(dirname "$0")/install-deps.sh" g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb jwm \
  googletest nsis xdotool unzip

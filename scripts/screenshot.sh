#!/usr/bin/env bash
# Makes the documentation's screenshots from the real program, drawn offscreen (no display
# needed): docs/screenshot-main.png (the main window, with the first file of the source list
# clicked) and docs/screenshot-about.png (the About dialog).
#   scripts/screenshot.sh [BUILD_FOLDER]   (default: build/linux, configured with the preset)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="${1:-build/linux}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset linux >/dev/null
fi
cmake --build "$build" --target vantrel_screenshot -j 2 >/dev/null

# A small sample folder, so the lists show something typical and the same on every machine.
sample="$(mktemp -d)"
trap 'rm -rf "$sample"' EXIT
mkdir -p "$sample/Projects/Documents" "$sample/Projects/Music" "$sample/Projects/Pictures" \
         "$sample/Projects/Tools"
cd "$sample/Projects"
printf '%*s' 1536 '' >budget.ods
printf 'notes\n' >notes.txt
printf '%*s' 48213 '' >report.pdf
printf '#!/bin/sh\necho hello\n' >hello.sh && chmod +x hello.sh
printf '%*s' 204800 '' >setup.exe

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$sample/runtime}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$root/$build/src/platform/qt/vantrel_screenshot" "$root/docs"

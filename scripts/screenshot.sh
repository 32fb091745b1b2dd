#!/usr/bin/env bash
# Makes the documentation's screenshots from the real program, drawn offscreen (no display
# needed): docs/screenshot-main.png (the main window with a folder open in each pane and the first
# source file clicked) and docs/screenshot-about.png (the About dialog).
#   scripts/screenshot.sh [BUILD_FOLDER]   (default: build/linux, configured with its preset)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="${1:-build/linux}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset linux >/dev/null
fi
cmake --build "$build" --target vantrel_screenshot -j 2 >/dev/null

# A small sample folder at a fixed place, so the pictures are the same on every machine.
sample=/tmp/demo
if [ -e "$sample" ]; then
  echo "screenshot: $sample is in the way; remove it first" >&2
  exit 1
fi
trap 'rm -rf "$sample"' EXIT
mkdir -p "$sample/Projects/Documents" "$sample/Projects/Music" "$sample/Projects/Pictures" \
         "$sample/Projects/Tools" "$sample/Backup"
cd "$sample/Projects"
head -c 1536 /dev/zero >budget.ods
printf 'notes\n' >notes.txt
head -c 48213 /dev/zero >report.pdf
printf '#!/bin/sh\necho hello\n' >hello.sh && chmod +x hello.sh
head -c 204800 /dev/zero >setup.exe
printf 'old notes\n' >"$sample/Backup/notes-2025.txt"
touch -d '2026-01-01 12:00' "$sample" "$sample"/* "$sample"/*/*

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$sample/.runtime}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cd "$sample"
"$root/$build/src/platform/qt/vantrel_screenshot" "$root/docs" Projects Backup

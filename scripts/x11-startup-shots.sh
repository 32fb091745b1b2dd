#!/usr/bin/env bash
# Photographs the real program's start on a virtual X screen (Xvfb, no window manager) as a user
# sees it, on the stale-icon-cache desktop of bench/icon_themes.sh: the whole screen as soon as the
# window is mapped, and again a second later, into OUTPUT_FOLDER/startup-shown.png and
# startup-later.png. Needs ImageMagick's `import` (installed when missing).
#   scripts/x11-startup-shots.sh OUTPUT_FOLDER [BUILD_FOLDER]   (default build/linux, built)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
program=$root/${2:-build/linux}/src/platform/qt/vantrel
[ -x "$program" ] || { echo "x11-startup-shots: build $program first" >&2; exit 2; }
"$root/scripts/install-deps.sh" imagemagick xdotool gtk-update-icon-cache xvfb xauth

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/bench/icon_themes.sh" "$work/desktops"
d=$work/desktops/stale
mkdir -p "$work/start/Documents" "$work/start/Music"
mkdir -m 700 "$work/runtime"
cd "$work/start"
export PROGRAM=$program OUT=$out
xvfb-run -a -s "-screen 0 800x600x24" env QT_QPA_PLATFORM=xcb HOME="$d/home" \
  XDG_DATA_HOME="$d/data-home" XDG_DATA_DIRS="$d/data-dirs" XDG_RUNTIME_DIR="$work/runtime" \
  sh -c '"$PROGRAM" & pid=$!
         xdotool search --sync --onlyvisible --name "^Vantrel" > /dev/null
         import -window root "$OUT/startup-shown.png"
         sleep 1
         import -window root "$OUT/startup-later.png"
         kill "$pid"'
echo "$out/startup-shown.png $out/startup-later.png"

#!/usr/bin/env bash
# Screenshots of the Windows program under Wine for the README:
#   docs/screenshot-win32-main.png   the main window on a sample folder, a file clicked
#   docs/screenshot-win32-about.png  the About dialog
# Builds Vantrel.exe with the mingw preset, runs it in the tests' throwaway Wine prefix on their
# X server (with its window manager drawing the title bars), drives it with xdotool, grabs each
# window with ImageMagick's import, and ends it with its Exit button (Alt+E).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in xdotool import; do
  command -v "$tool" >/dev/null || { echo "win32-screenshots: needs $tool" >&2; exit 1; }
done
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target Vantrel >/dev/null
eval "$(scripts/wine-prefix.sh env)"

# A sample folder on drive C:, with Vantrel.exe itself so the run pane lists a program.
demo="$WINEPREFIX/drive_c/Vantrel Demo"
rm -rf "$demo"
mkdir -p "$demo/Letters" "$demo/Photos" "$demo/Projects"
head -c 24576 /dev/zero >"$demo/report.docx"
head -c 8200 /dev/zero >"$demo/budget 2026.xlsx"
echo "Remember the milk" >"$demo/notes.txt"
cp build/mingw/src/platform/win32/Vantrel.exe build/mingw/src/platform/win32/grab.ico "$demo/"

(cd "$demo" && exec wine ./Vantrel.exe >/dev/null 2>&1) &
launcher=$!
trap 'kill "$launcher" 2>/dev/null || true' EXIT

main="$(xdotool search --sync --name '^Vantrel 1\.0$' | head -1)"
sleep 1
# The X window holds the menu bar and the client area; the client area is 453 pixels high.
eval "$(xdotool getwindowgeometry --shell "$main")"
menu=$((HEIGHT - 453))
# report.docx in the source file list (File1 starts at 8,216), then the program in the run list.
xdotool mousemove --window "$main" 40 $((menu + 216 + 8 + 3 * 13)) click 1
xdotool mousemove --window "$main" 270 $((menu + 320 + 8)) click 1
xdotool mousemove --window "$main" 600 300
sleep 0.5
import -window "$main" -frame docs/screenshot-win32-main.png

# "About" on the menu bar, the third title.
xdotool mousemove --window "$main" 84 $((menu / 2)) click 1
about="$(xdotool search --sync --name '^About Vantrel $' | head -1)"
sleep 1
import -window "$about" -frame docs/screenshot-win32-about.png

xdotool windowactivate --sync "$main" key alt+e
for _ in $(seq 1 50); do kill -0 "$launcher" 2>/dev/null || break; sleep 0.1; done
echo "win32-screenshots: wrote docs/screenshot-win32-main.png and docs/screenshot-win32-about.png"

#!/usr/bin/env bash
# The two Windows downloads, tried as a user would under Wine, in a fresh throwaway prefix:
#   the installer, silently: files in Program Files\Vantrel, the Start-menu shortcut, every value
#   of the uninstall entry, the program starting with its main window; installed again over
#   itself; uninstalled silently, leaving only what the user made;
#   the portable zip, unpacked into a folder and started from there.
#   tests/win32/packages_test.sh BUILD   (BUILD: the mingw build folder holding both packages)
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:?usage: packages_test.sh BUILD}" && pwd)"
version="$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")"
installer="$build/Vantrel-$version-win64.exe"
zip="$build/Vantrel-$version-win64.zip"
[ -f "$installer" ] && [ -f "$zip" ] || { echo "packages_test: build the packages first (cpack)" >&2; exit 2; }

export VANTREL_WINEPREFIX="$build/wine-packages-prefix"
rm -rf "$VANTREL_WINEPREFIX" "$VANTREL_WINEPREFIX.display"
trap '"$repo/scripts/wine-prefix.sh" stop; rm -rf "$VANTREL_WINEPREFIX" "$work"' EXIT
work="$(mktemp -d)"
eval "$("$repo/scripts/wine-prefix.sh" env)"
# Shortcuts made in the prefix must not turn into menu entries of this machine's desktop.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what="$1"
  shift
  if "$@"; then echo "ok    $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}
drive_c="$WINEPREFIX/drive_c"
program_dir="$drive_c/Program Files/Vantrel"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vantrel.lnk"
desktop_shortcut="$drive_c/users/Public/Desktop/Vantrel.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel'

# The value of one entry of the uninstall key, from the 64-bit view ("" when it is missing).
value() {
  wine reg query "$key" /v "$1" /reg:64 2>/dev/null | tr -d '\r' |
    awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^  */, ""); print }'
}
equals() { [ "$1" = "$2" ] || { echo "      got '$1', expected '$2'"; return 1; }; }
points_to_program() {  # the shortcut names the installed Vantrel.exe
  local texts
  texts="$(strings "$1"; strings -el "$1")"
  grep -qF 'C:\Program Files\Vantrel\Vantrel.exe' <<<"$texts"
}

# Starts a Vantrel.exe, waits for its main window titled "Vantrel 1.0", then ends it with its Exit
# button (Alt+E) and waits for the process to go.
starts_and_shows_its_window() {
  local exe="$1" folder
  folder="$(dirname "$exe")"
  (cd "$folder" && exec wine "$exe" >/dev/null 2>&1) &
  local launcher=$! window
  window="$(timeout 60 xdotool search --sync --name '^Vantrel 1\.0$' | head -1)" || true
  if [ -z "$window" ]; then
    echo "      no window titled 'Vantrel 1.0' within 60 s"
    kill "$launcher" 2>/dev/null || true
    return 1
  fi
  # The window manager may not have taken the new window yet: try the keys again until it goes.
  sleep 1
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$window" key alt+e >/dev/null 2>&1 || true
    for _ in $(seq 1 50); do
      kill -0 "$launcher" 2>/dev/null || return 0
      sleep 0.1
    done
  done
  echo "      still running after three Exits"
  return 1
}

echo "== the installer file"
# The fixed version of its version record, and the program's icon among its resources (an .ico's
# images go into a program's resources byte for byte).
record="$(python3 - "$installer" "$repo/resources/vantrel.ico" <<'PY'
import struct, sys
exe = open(sys.argv[1], "rb").read()
at = exe.find(b"\xbd\x04\xef\xfe")  # VS_FIXEDFILEINFO's signature
ms, ls = struct.unpack_from("<II", exe, at + 8)
ico = open(sys.argv[2], "rb").read()
count = struct.unpack_from("<H", ico, 4)[0]
images = [struct.unpack_from("<II", ico, 6 + 16 * k + 8) for k in range(count)]
found = sum(ico[offset:offset + size] in exe for size, offset in images)
print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF} {found}/{count}")
PY
)"
check "the installer's version record is $version.0" equals "${record% *}" "$version.0"
check "the installer carries every image of the program's icon" equals "${record#* }" "${record#*/}/${record#*/}"

echo "== the installer, silently"
wine "$installer" /S
wineserver -w
for file in Vantrel.exe grab.ico README.txt LICENSE.txt Uninstall.exe; do
  check "Program Files\\Vantrel\\$file is installed" test -f "$program_dir/$file"
done
check "the Start-menu shortcut points to the program" points_to_program "$shortcut"
check "a silent install makes no desktop shortcut" test ! -e "$desktop_shortcut"
check "DisplayName" equals "$(value DisplayName)" "Vantrel"
check "DisplayVersion" equals "$(value DisplayVersion)" "$version"
check "Publisher" equals "$(value Publisher)" "The Vantrel developers"
check "DisplayIcon" equals "$(value DisplayIcon)" '"C:\Program Files\Vantrel\Vantrel.exe",0'
check "InstallLocation" equals "$(value InstallLocation)" 'C:\Program Files\Vantrel'
check "UninstallString" equals "$(value UninstallString)" '"C:\Program Files\Vantrel\Uninstall.exe"'
check "QuietUninstallString" equals "$(value QuietUninstallString)" \
  '"C:\Program Files\Vantrel\Uninstall.exe" /S'
check "NoModify" equals "$(value NoModify)" "0x1"
check "NoRepair" equals "$(value NoRepair)" "0x1"
size="$(value EstimatedSize)"
installed_kb=$(($(du -sk --apparent-size "$program_dir" | cut -f1)))
check "EstimatedSize ($((size)) KiB) is the installed size ($installed_kb KiB)" \
  test $((size)) -ge $((installed_kb / 2)) -a $((size)) -le $((installed_kb * 2))
check "the entry is in the 64-bit view only" \
  bash -c "! wine reg query '$key' /reg:32 >/dev/null 2>&1"
check "the installed program starts and shows its main window" \
  starts_and_shows_its_window "C:\\Program Files\\Vantrel\\Vantrel.exe"

echo "== installed again over itself"
echo "my notes" >"$program_dir/notes.txt"  # something the user made in the folder
installed_sum="$(md5sum <"$program_dir/Vantrel.exe")"
echo "an earlier version" >"$program_dir/Vantrel.exe"
wine "$installer" /S
wineserver -w
check "the earlier program was replaced" equals "$(md5sum <"$program_dir/Vantrel.exe")" "$installed_sum"
check "the uninstall entry is still whole" equals "$(value UninstallString)" \
  '"C:\Program Files\Vantrel\Uninstall.exe"'
check "the upgraded program starts" \
  starts_and_shows_its_window "C:\\Program Files\\Vantrel\\Vantrel.exe"

echo "== uninstalled silently"
wine "C:\\Program Files\\Vantrel\\Uninstall.exe" /S
wineserver -w
# The uninstaller runs from a copy of itself and may return before that copy is done.
for _ in $(seq 1 50); do [ -e "$program_dir/Vantrel.exe" ] || break; sleep 0.2; done
for file in Vantrel.exe grab.ico README.txt LICENSE.txt Uninstall.exe; do
  check "$file is gone" test ! -e "$program_dir/$file"
done
check "the file the user made is kept" equals "$(cat "$program_dir/notes.txt" 2>/dev/null)" "my notes"
check "the Start-menu shortcut is gone" test ! -e "$shortcut"
check "the uninstall entry is gone" bash -c "! wine reg query '$key' /reg:64 >/dev/null 2>&1"

echo "== the portable zip"
unzip -q "$zip" -d "$drive_c/Portable"
portable="$drive_c/Portable/Vantrel-$version-win64"
for file in Vantrel.exe grab.ico README.txt; do
  check "the zip holds $file" test -f "$portable/$file"
done
check "the unpacked program starts from its folder" \
  starts_and_shows_its_window "C:\\Portable\\Vantrel-$version-win64\\Vantrel.exe"

if [ "$failures" -gt 0 ]; then
  echo "packages_test: $failures checks failed" >&2
  exit 1
fi
echo "packages_test: every check passed"

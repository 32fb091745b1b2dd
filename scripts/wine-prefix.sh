#!/usr/bin/env bash
# The throwaway Wine prefix and X server that the Windows build's tests and screenshots run in.
#
#   scripts/wine-prefix.sh start   prepare the prefix and the X server when needed (idempotent)
#   scripts/wine-prefix.sh env     the same, then print the environment as "export" lines
#   scripts/wine-prefix.sh stop    stop the X server, its window manager and the wine server
#
# Once started, the X server keeps running until "stop".
#
# The prefix lives in build/wine-prefix (VANTREL_WINEPREFIX overrides it), never in ~/.wine.
# Wine's window driver takes DISPLAY from the first program its server starts, so the X server
# runs before any Wine program of the prefix and keeps running until "stop".
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
prefix="${VANTREL_WINEPREFIX:-$repo/build/wine-prefix}"
state="$prefix.display"  # DISPLAY, X server pid and window manager pid, one a line

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

alive() { [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null; }

read_state() {
  display="" xvfb_pid="" wm_pid=""
  if [ -f "$state" ]; then
    { read -r display; read -r xvfb_pid; read -r wm_pid; } <"$state" || true
  fi
}

free_display() {
  local n
  for n in $(seq 91 150); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      echo "$n"
      return
    fi
  done
  echo "no free X display between :91 and :150" >&2
  return 1
}

start_x() {
  local n
  n="$(free_display)"
  setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -S "/tmp/.X11-unix/X$n" ] && break
    sleep 0.05
  done
  [ -S "/tmp/.X11-unix/X$n" ] || { echo "Xvfb did not start on :$n" >&2; return 1; }
  display=":$n"
  # A window manager makes showing a window fast (and draws the title bars of screenshots).
  wm_pid=""
  if command -v jwm >/dev/null; then
    DISPLAY="$display" setsid jwm >/dev/null 2>&1 </dev/null &
    wm_pid=$!
  fi
  printf '%s\n%s\n%s\n' "$display" "$xvfb_pid" "$wm_pid" >"$state"
}

# Bumped whenever the preparation below changes, so existing prefixes are prepared again.
prefix_version=4

prepare_prefix() {
  [ "$(cat "$prefix/.vantrel-ready" 2>/dev/null)" = "$prefix_version" ] && return
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1
  # A crashing test must fail, not wait for someone to close a crash dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # Readable title bars and menus in screenshots.
  local fonts="$prefix/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for f in marlett.ttf tahoma.ttf tahomabd.ttf; do
    [ -f "/usr/share/wine/fonts/$f" ] && cp -f "/usr/share/wine/fonts/$f" "$fonts/"
  done
  # Wine has no scalable "MS Sans Serif", the windows' default font, and falls back to a much
  # wider one. Windows maps it to Microsoft Sans Serif, which has Arial's metrics: use a font
  # with those metrics where fontconfig has one, else Wine's Tahoma.
  local sans=Tahoma candidate
  # fontconfig is asked for the family itself: "fc-list | grep -q" would fail under pipefail
  # wherever so many fonts are installed that grep's early exit cuts fc-list off.
  for candidate in "Nimbus Sans" "Liberation Sans"; do
    [ -n "$(fc-list "$candidate" family 2>/dev/null)" ] && sans="$candidate"
  done
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS Sans Serif" /t REG_SZ \
    /d "$sans" /f >/dev/null 2>&1
  wineserver -w
  echo "$prefix_version" >"$prefix/.vantrel-ready"
}

start() {
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  read_state
  if ! alive "$xvfb_pid" || [ ! -S "/tmp/.X11-unix/X${display#:}" ]; then
    # A server still running with an old display would fail every window: end it first.
    wineserver -k >/dev/null 2>&1 || true
    start_x
  fi
  export DISPLAY="$display"
  prepare_prefix
  flock -u 9
}

stop() {
  read_state
  wineserver -k >/dev/null 2>&1 || true
  alive "$wm_pid" && kill "$wm_pid" 2>/dev/null || true
  alive "$xvfb_pid" && kill "$xvfb_pid" 2>/dev/null || true
  rm -f "$state"
}

case "${1:-start}" in
  start) start ;;
  env)
    start
    printf 'export WINEPREFIX=%q DISPLAY=%q WINEDEBUG=%q WINEDLLOVERRIDES=%q WINEARCH=%q\n' \
      "$WINEPREFIX" "$DISPLAY" "$WINEDEBUG" "$WINEDLLOVERRIDES" "$WINEARCH"
    ;;
  stop) stop ;;
  *)
    echo "usage: $0 start|env|stop" >&2
    exit 2
    ;;
esac

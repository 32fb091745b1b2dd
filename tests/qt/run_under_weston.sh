#!/bin/sh
# Runs a command as a client of its own Wayland compositor, weston, on a socket in a runtime
# folder of its own, stopped when the command ends.
#
# Usage: run_under_weston.sh [--seat] WESTON COMMAND [ARGUMENTS...]; exits with the command's code.
#
# Without --seat the compositor is headless: no screen and no input devices, so it activates no
# window and carries no drag. With --seat it runs as a window of its own X server (Xvfb), whose
# keyboard and pointer become the compositor's seat, so windows take the focus, drags go through
# the compositor and the screen can be read back; VANTREL_SEAT_DISPLAY tells the command which X
# display to drive (with XTEST) to move and press the seat's pointer.
set -u

seat=no
if [ "${1:-}" = "--seat" ]; then
  seat=yes
  shift
fi
weston=$1
shift

runtime=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-weston.XXXXXX") || exit 1
chmod 700 "$runtime"
socket="vantrel-test-$$"
weston_pid=""
xvfb_pid=""

stop() {
  for pid in $weston_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$runtime"
}
trap stop EXIT

# Waits until the check passes, at most 10 s, which is plenty even on a busy machine; fails with
# the log if the process it waits for ends first or the time runs out.
# Usage: wait_for NAME PID LOG CHECK...
wait_for() {
  name=$1 pid=$2 log=$3
  shift 3
  tries=0
  until "$@"; do
    if ! kill -0 "$pid" 2>/dev/null || [ $tries -ge 100 ]; then
      echo "$name did not start; its log:" >&2
      cat "$log" >&2 2>/dev/null
      exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
  done
}
trap 'exit 130' INT TERM

# The compositor reads no weston.ini of the user's, so every run sees the same output.
if [ $seat = yes ]; then
  # Xvfb picks a free display and writes its number once it accepts clients.
  Xvfb -displayfd 3 -screen 0 800x640x24 -nolisten tcp 3>"$runtime/display" \
    >"$runtime/xvfb.log" 2>&1 &
  xvfb_pid=$!
  wait_for "Xvfb" "$xvfb_pid" "$runtime/xvfb.log" test -s "$runtime/display"
  VANTREL_SEAT_DISPLAY=":$(cat "$runtime/display")"
  export VANTREL_SEAT_DISPLAY
  DISPLAY=$VANTREL_SEAT_DISPLAY XDG_RUNTIME_DIR="$runtime" "$weston" --backend=x11-backend.so \
    --use-pixman --no-config --socket="$socket" --width=800 --height=640 --idle-time=0 \
    --log="$runtime/weston.log" &
  weston_pid=$!
else
  XDG_RUNTIME_DIR="$runtime" "$weston" --backend=headless-backend.so --no-config \
    --socket="$socket" --width=1024 --height=768 --idle-time=0 \
    --log="$runtime/weston.log" &
  weston_pid=$!
fi

# The socket shows once the compositor listens.
wait_for "weston" "$weston_pid" "$runtime/weston.log" test -S "$runtime/$socket"

# The compositor's window on the X server takes the X keyboard focus, which its seat's keyboard
# needs; with no window manager nobody else gives it.
if [ $seat = yes ]; then
  if ! DISPLAY=$VANTREL_SEAT_DISPLAY timeout 10 xdotool search --sync --class \
    "^Weston Compositor$" windowfocus >/dev/null 2>&1; then
    echo "could not give the compositor's window the X keyboard focus" >&2
    exit 1
  fi
fi

# Qt's own input method for the compositor's text-input protocol reaches for the seat's input
# device, which a compositor without a seat does not have, and crashes as a line edit or a combo
# box's popup asks it for its state: the plain compose input method takes its place here. The
# command is a Wayland client only, whatever DISPLAY the caller had.
run_client() {
  env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
    QT_IM_MODULE=compose "$@" >"$runtime/client.log" 2>&1
  code=$?
  cat "$runtime/client.log"
}
run_client "$@"
# Debian 12's Qt Wayland client (6.4) can destroy a window's frame callback on the GUI thread
# while its event thread still dispatches it; libwayland then aborts on the proxy's reference
# count. It struck once in hundreds of window openings here, in a test that had just closed one
# program's windows and opened the next. That abort, and only that one, earns a second run, which
# must pass on its own; any other failure stands.
if [ $code -ne 0 ] && grep -q "wl_proxy_unref: Assertion \`proxy->refcount > 0' failed" \
  "$runtime/client.log"; then
  echo "== the Wayland client library aborted on its known frame-callback race; running again" >&2
  run_client "$@"
fi
if ! kill -0 "$weston_pid" 2>/dev/null; then
  echo "weston ended while the tests ran; its log:" >&2
  cat "$runtime/weston.log" >&2 2>/dev/null
  [ $code -eq 0 ] && code=1
fi
exit $code

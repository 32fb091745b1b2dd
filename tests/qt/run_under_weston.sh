#!/bin/sh
# Runs a command as a client of its own headless Wayland compositor: weston with no screen and no
# input devices, on a socket in a runtime folder of its own, stopped when the command ends.
# Usage: run_under_weston.sh WESTON COMMAND [ARGUMENTS...]; exits with the command's code.
set -u

weston=$1
shift

runtime=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-weston.XXXXXX") || exit 1
chmod 700 "$runtime"
socket="vantrel-test-$$"
weston_pid=""

stop() {
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null
    wait "$weston_pid" 2>/dev/null
  fi
  rm -rf "$runtime"
}
trap stop EXIT
trap 'exit 130' INT TERM

# The compositor reads no weston.ini of the user's, so every run sees the same output.
XDG_RUNTIME_DIR="$runtime" "$weston" --backend=headless-backend.so --no-config \
  --socket="$socket" --width=1024 --height=768 --idle-time=0 \
  --log="$runtime/weston.log" &
weston_pid=$!

# The socket shows once the compositor listens; 10 s is plenty even on a busy machine.
tries=0
until [ -S "$runtime/$socket" ]; do
  if ! kill -0 "$weston_pid" 2>/dev/null || [ $tries -ge 100 ]; then
    echo "weston did not start; its log:" >&2
    cat "$runtime/weston.log" >&2 2>/dev/null
    exit 1
  fi
  tries=$((tries + 1))
  sleep 0.1
done

# Qt's own input method for the compositor's text-input protocol reaches for the seat's input
# device, which a compositor without a seat does not have, and crashes as a line edit or a combo
# box's popup asks it for its state: the plain compose input method takes its place here.
XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland QT_IM_MODULE=compose \
  "$@"
code=$?
if ! kill -0 "$weston_pid" 2>/dev/null; then
  echo "weston ended while the tests ran; its log:" >&2
  cat "$runtime/weston.log" >&2 2>/dev/null
  [ $code -eq 0 ] && code=1
fi
exit $code

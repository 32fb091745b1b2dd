#!/bin/sh
# Runs the AT-SPI walk (atspi_walk.py) against the real program on a private X server (Xvfb) and
# a private D-Bus session, whose accessibility bus and registry start on the walk's first call.
#
# Usage: run_atspi_walk.sh PROGRAM TABLES_TOOL WALK_SCRIPT; exits with the walk's code.
# Every tool it needs comes with scripts/install-deps.sh, so a missing one fails the test.
set -u

program=$1
tables_tool=$2
walk=$3
python=/usr/bin/python3

missing=""
for tool in xvfb-run dbus-run-session xdotool; do
  command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || missing="$missing at-spi-bus-launcher(at-spi2-core)"
if [ -x "$python" ]; then
  "$python" -c 'import gi; gi.require_version("Atspi", "2.0"); import pyatspi' 2>/dev/null ||
    missing="$missing pyatspi(python3-pyatspi,gir1.2-atspi-2.0)"
else
  missing="$missing $python"
fi
if [ -n "$missing" ]; then
  echo "FAILED: missing:$missing (scripts/install-deps.sh installs them)"
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-atspi.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
"$tables_tool" >"$work/tables.json" || { echo "FAILED: $tables_tool"; exit 1; }

# No settings of the user's desktop: the walk's own runtime folder, and accessibility on.
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY
export NO_AT_BRIDGE=0
xvfb-run -a -s "-screen 0 1024x768x24" \
  dbus-run-session -- "$python" "$walk" --program "$program" --tables "$work/tables.json"

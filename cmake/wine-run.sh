#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one Windows program under Wine in the project's
# throwaway prefix. Wine's output goes to a file that is printed once the program has exited:
# Wine's helper processes inherit the output pipe and would keep CTest waiting on it.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
environment="$("$here/../scripts/wine-prefix.sh" env)" || exit 1
eval "$environment"
# One wine server for all the tests, until "wine-prefix.sh stop": each test is a Wine program of
# its own, and a server left to end by itself between two of them races the next one's start (an
# empty output, "recvmsg: Connection reset by peer", a crash at exit). A no-op while one runs.
wineserver -p >/dev/null 2>&1 </dev/null || true

output="$(mktemp)"
trap 'rm -f "$output"' EXIT
wine "$@" >"$output" 2>&1 </dev/null
status=$?
cat "$output"
exit "$status"

#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one Windows program under Wine in the project's
# throwaway prefix. Wine's output goes to a file that is printed once the program has exited:
# Wine's helper processes inherit the output pipe and would keep CTest waiting on it.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
environment="$("$here/../scripts/wine-prefix.sh" env)" || exit 1
eval "$environment"

output="$(mktemp)"
trap 'rm -f "$output"' EXIT
wine "$@" >"$output" 2>&1 </dev/null
status=$?
cat "$output"
exit "$status"

#!/usr/bin/env bash
# Writes the values the registry tests read into the throwaway Wine prefix, with Wine's own
# "reg add". Run by CTest before those tests.
set -euo pipefail
eval "$("$(dirname "$0")/../../scripts/wine-prefix.sh" env)"

key='HKLM\SOFTWARE\Vantrel Tests'
add() { wine reg add "$key" /v "$1" /t "$2" /d "$3" /f >/dev/null; }
wine reg delete "$key" /f >/dev/null 2>&1 || true
add Text REG_SZ 'C:\Tools\tool.exe'
add Number REG_DWORD 2561
add Expandable REG_EXPAND_SZ '%SystemRoot%\system32'
add Exactly1024 REG_SZ "$(printf 'a%.0s' $(seq 1 1023))"
add Over1024 REG_SZ "$(printf 'b%.0s' $(seq 1 1024))"
add Empty REG_SZ ''

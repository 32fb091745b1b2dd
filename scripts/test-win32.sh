#!/usr/bin/env bash
# Builds the Windows program with mingw-w64 and runs its tests under Wine: the core tests, the
# Win32 service contract tests, the registry tests and the window tests; then makes the installer
# and the portable zip and tries both in a fresh prefix. The Wine prefix and its X server are made
# on first use and stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-win-deps.sh
trap 'scripts/wine-prefix.sh stop' EXIT
scripts/wine-prefix.sh start

echo "== mingw: build"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$(nproc)"
echo "== mingw: clang-tidy"
scripts/tidy.sh mingw
echo "== mingw: tests under Wine"
# The failing-call sweep writes what it tried and found where the test command collects it.
if [ -n "${VANTREL_SAFETY_SUMMARIES:-}" ]; then
  export VANTREL_FAULT_SWEEP_SUMMARY_WIN32="$VANTREL_SAFETY_SUMMARIES/win32-fault"
  mkdir -p "$VANTREL_FAULT_SWEEP_SUMMARY_WIN32"
fi
ctest --preset mingw -j "$(nproc)"
echo "== mingw: the installer and the portable zip, tried under Wine"
(cd build/mingw && cpack >/dev/null)
tests/win32/packages_test.sh build/mingw

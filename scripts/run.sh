#!/usr/bin/env bash
# Builds Vantrel and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target vantrel
exec build/linux/src/platform/qt/vantrel "$@"

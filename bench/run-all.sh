#!/usr/bin/env bash
# Runs every benchmark and prints each figure beside its reference's. With --smoke each runs once
# on a small size, so CI keeps them building and working without spending minutes on them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build/linux}

if [ "${1:-}" = --smoke ]; then
  COPY_BENCH=$build/bench/copy_bench bench/copy_vs_cp.sh 8M 1
else
  COPY_BENCH=$build/bench/copy_bench bench/copy_vs_cp.sh 1G 9
fi

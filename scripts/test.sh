#!/usr/bin/env bash
# Builds Vantrel and runs every test: the optimised build, then the build with AddressSanitizer
# and UndefinedBehaviorSanitizer, the install tree and .deb, the Windows program under Wine, and
# each benchmark once on a small size so none can rot.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

echo "== formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

for preset in linux linux-asan; do
  echo "== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  echo "== $preset: tests"
  ctest --preset "$preset" -j "$(nproc)"
done

echo "== packaging"
scripts/check-packaging.sh build/linux

echo "== Windows program under Wine"
scripts/test-win32.sh

if [ -x bench/run-all.sh ]; then
  echo "== benchmarks (smoke run)"
  bench/run-all.sh --smoke
fi

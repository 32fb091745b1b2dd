#!/usr/bin/env bash
# Builds Vantrel and runs every test: the optimised build, then the build with AddressSanitizer
# and UndefinedBehaviorSanitizer, the plain Release build, the install tree and .deb built with
# Debian's flags, the Windows program under Wine, and
# each benchmark once on a small size so none can rot.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

echo "== formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

# The failing-call and power-cut sweeps write what they tried and found here; the optimised
# build's run makes the README's table of it.
summaries="$PWD/build/safety"
rm -rf "$summaries"
mkdir -p "$summaries/fault" "$summaries/win32-fault"
for preset in linux linux-asan; do
  echo "== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  echo "== $preset: tests"
  if [ "$preset" = linux ]; then
    VANTREL_FAULT_SWEEP_SUMMARY="$summaries/fault" VANTREL_POWER_CUT_SUMMARY="$summaries/power.tsv" \
      ctest --preset "$preset" -j "$(nproc)"
  else
    ctest --preset "$preset" -j "$(nproc)"
  fi
done

# What a packager or a newcomer builds without the presets: only the program, since the presets
# above already compile the tests and benchmarks with warnings as errors, and this build exists to
# catch the warnings GCC gives at -O3 alone.
echo "== plain Release build"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVANTREL_WARNINGS_AS_ERRORS=ON \
  -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

echo "== packaging"
scripts/build-deb.sh build/deb
scripts/check-packaging.sh build/deb

echo "== Windows program under Wine"
VANTREL_SAFETY_SUMMARIES="$summaries" scripts/test-win32.sh

echo "== what the sweeps tried and found (the README's table; fails on any file lost)"
scripts/safety-table.py "$summaries"

if [ -x bench/run-all.sh ]; then
  echo "== benchmarks (smoke run)"
  bench/run-all.sh --smoke
fi

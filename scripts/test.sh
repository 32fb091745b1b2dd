#!/usr/bin/env bash
# Builds Vantrel and runs every test: the optimised build and clang-tidy over its sources, then the
# build with AddressSanitizer and UndefinedBehaviorSanitizer, the build with ThreadSanitizer, the
# plain Release build, the install tree and .deb built with Debian's flags, the Windows program
# under Wine (clang-tidy over the Win32 sources too), and each benchmark once on a small size so
# none can rot.
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
      VANTREL_CARRIED_FS_SUMMARY="$summaries/carried.tsv" ctest --preset "$preset" -j "$(nproc)"
    echo "== clang-tidy"
    scripts/tidy.sh linux
  else
    ctest --preset "$preset" -j "$(nproc)"
  fi
done

# ThreadSanitizer over the tests whose code runs on more than one thread or starts processes that
# do: the core, POSIX, hung-mount, power-cut and Qt tests. Every process writes its reports to
# build/linux-tsan/tsan-report.PID (the preset's TSAN_OPTIONS), so that a report from a child the
# tests kill or whose status they do not check cannot pass unseen.
echo "== linux-tsan: build"
tsan_start=$SECONDS
cmake --preset linux-tsan >/dev/null
cmake --build --preset linux-tsan -j "$(nproc)"
tsan_built=$SECONDS
echo "== linux-tsan: tests"
rm -f build/linux-tsan/tsan-report.*
tsan_status=0
ctest --preset linux-tsan -j "$(nproc)" -R '^(core|posix|hung_mount|hung_start|power_cut|qt|qt_hung)\.' ||
  tsan_status=$?
if compgen -G 'build/linux-tsan/tsan-report.*' >/dev/null; then
  cat build/linux-tsan/tsan-report.*
  tsan_status=1
fi
echo "== linux-tsan: built in $((tsan_built - tsan_start)) s, tested in $((SECONDS - tsan_built)) s"
if [ "$tsan_status" != 0 ]; then exit "$tsan_status"; fi

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

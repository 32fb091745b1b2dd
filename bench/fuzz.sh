#!/usr/bin/env bash
# Fuzzes every fuzz target (fuzz/) with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer, then prints for each: how long it ran, the inputs executed, the
# coverage reached (libFuzzer's cov: edges and ft: features) and what it found.
#   bench/fuzz.sh                      every target for 3 minutes, one at a time
#   bench/fuzz.sh --minutes 10 --jobs 2 mount_table pattern
# The saved corpus (fuzz/corpus/<target>) seeds each run and is never written to; new inputs go to
# build/linux-fuzz/fuzz-work/<target>/corpus, kept so the next run goes on from there, and
# findings to .../findings. A finding stops its target's run; keep the input in
# fuzz/corpus/<target>/ under a name that says what it found, and fix the fault. Exit status: 0
# when nothing was found, 1 when something was, 2 when the build failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

minutes=3
jobs=1
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --minutes) minutes=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done

case $minutes in
  '' | *[!0-9]* | 0) echo "--minutes takes a whole number of minutes, 1 or more" >&2; exit 2 ;;
esac

# ccache, where the machine has it, keeps a second run's build short; it is not needed.
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
cmake --preset linux-fuzz >/dev/null && cmake --build --preset linux-fuzz -j2 >/dev/null || {
  echo "the linux-fuzz build failed" >&2
  exit 2
}

build=build/linux-fuzz
if [ ${#targets[@]} -eq 0 ]; then
  for program in "$build"/fuzz/fuzz_*; do targets+=("$(basename "$program" | sed 's/^fuzz_//')"); done
fi

fuzz_one() {
  local target=$1 work=$build/fuzz-work/$1
  rm -rf "$work/findings"
  mkdir -p "$work/corpus" "$work/findings"
  local start=$SECONDS
  "$build/fuzz/fuzz_$target" "$work/corpus" "fuzz/corpus/$target" \
    -max_total_time=$((minutes * 60)) -max_len=4096 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/findings/" >"$work/log" 2>&1
  echo $((SECONDS - start)) >"$work/seconds"
}

running=0
for target in "${targets[@]}"; do
  [ -x "$build/fuzz/fuzz_$target" ] || { echo "no fuzz target $target" >&2; exit 2; }
  fuzz_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

found=0
printf '%-20s %8s %12s %8s %8s  %s\n' target ran executions cov ft findings
for target in "${targets[@]}"; do
  work=$build/fuzz-work/$target
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
  status=$(grep -E '^#[0-9]+.*cov: ' "$work/log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$status")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$status")
  findings=$(find "$work/findings" -type f | sort | tr '\n' ' ')
  [ -n "$findings" ] && found=1
  seconds=$(cat "$work/seconds")
  printf '%-20s %8s %12s %8s %8s  %s\n' "$target" "$((seconds / 60))m$((seconds % 60))s" \
    "${executions:-?}" "${cov:-?}" "${ft:-?}" "${findings:-none}"
done
[ "$found" -eq 0 ]

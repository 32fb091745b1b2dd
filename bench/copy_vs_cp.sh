#!/bin/sh
# Compares the native CopyFile with `cp` followed by `sync` of the copied file, in the same run,
# on the same source file, into another folder. Prints both median times and their ratio
# (target: at most 1.1).
#
#   bench/copy_vs_cp.sh [SIZE] [REPETITIONS]     SIZE as for head -c (default 1G), default 5
#
# COPY_BENCH names the copy_bench program (default: the first one found in a build folder);
# BENCH_DIR the folder to work in (default /var/tmp, which is on disk where /tmp may be memory).
set -eu

size=${1:-1G}
repetitions=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

bench=${COPY_BENCH:-}
if [ -z "$bench" ]; then
  for candidate in "$root"/build/*/bench/copy_bench "$root"/build*/bench/copy_bench \
      "$root"/out/*/bench/copy_bench; do
    if [ -x "$candidate" ]; then bench=$candidate; break; fi
  done
fi
if [ -z "$bench" ] || [ ! -x "$bench" ]; then
  echo "copy_vs_cp: no copy_bench found; build it (-DVANTREL_BUILD_BENCHMARKS=ON) or set COPY_BENCH" >&2
  exit 2
fi

work=$(mktemp -d "${BENCH_DIR:-/var/tmp}/copy_vs_cp.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
mkdir "$work/source" "$work/cp" "$work/vantrel"
head -c "$size" /dev/urandom > "$work/source/file.bin"
sync

now() { date +%s%N; }

# Seconds, as a decimal, between two nanosecond stamps.
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }

# Removes the previous copy and lets the disk finish with it (freed blocks, discards, journal)
# before the next timing starts.
settle() {
  rm -f "$1"
  sync
  sleep "${BENCH_SETTLE:-1}"
}

time_cp() {
  settle "$work/cp/file.bin"
  start=$(now)
  cp "$work/source/file.bin" "$work/cp/file.bin"
  sync "$work/cp/file.bin"
  seconds "$start" "$(now)"
}

time_vantrel() {
  settle "$work/vantrel/file.bin"
  start=$(now)
  "$bench" "$work/source/file.bin" "$work/vantrel/file.bin" > /dev/null
  seconds "$start" "$(now)"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One round of each first, not counted: the first writes after making the source are slower.
time_cp > /dev/null
time_vantrel > /dev/null

cp_times=""
vantrel_times=""
i=0
while [ "$i" -lt "$repetitions" ]; do
  # Alternate which goes first, so neither always meets a warmer cache or a busier disk.
  if [ $((i % 2)) -eq 0 ]; then
    cp_times="$cp_times $(time_cp)"; vantrel_times="$vantrel_times $(time_vantrel)"
  else
    vantrel_times="$vantrel_times $(time_vantrel)"; cp_times="$cp_times $(time_cp)"
  fi
  i=$((i + 1))
done

cmp -s "$work/source/file.bin" "$work/vantrel/file.bin" || { echo "copy_vs_cp: the copy differs" >&2; exit 1; }

cp_median=$(echo $cp_times | tr ' ' '\n' | median)
vantrel_median=$(echo $vantrel_times | tr ' ' '\n' | median)
echo "size: $size, repetitions: $repetitions"
echo "cp + sync:   $cp_median s  (runs:$cp_times)"
echo "vantrel:     $vantrel_median s  (runs:$vantrel_times)"
awk -v v="$vantrel_median" -v c="$cp_median" 'BEGIN {
  if (c <= 0) { print "ratio: n/a (too fast to time)"; exit }
  r = v / c; printf "ratio vantrel / cp+sync: %.3f (target <= 1.1: %s)\n", r, (r <= 1.1) ? "met" : "missed" }'

#!/bin/sh
# Compares the native CopyFile with `cp` followed by `sync` of the copied file, in the same run,
# on the same source file, into another folder, as interleaved pairs: each pair times one copy of
# each back to back and gives one ratio, vantrel / cp + sync, so a disk that changes speed between
# runs weighs on both sides of a pair, and which goes first alternates. Prints every pair, the
# median ratio with its spread, and the order-balanced figure the target (at most 1.1) is judged
# on: the median of the geometric means of each vantrel-first pair and the cp-first pair after it.
#
#   bench/copy_vs_cp.sh [SIZE] [PAIRS]     SIZE as for head -c (default 1G), default 6 pairs
#
# COPY_BENCH names the copy_bench program (default: the first one found in a build folder);
# BENCH_DIR the folder to work in (default /var/tmp, which is on disk where /tmp may be memory);
# BENCH_SOURCE_DIR the folder the source file is made in (default: inside BENCH_DIR's work folder),
# so that copies onto a mounted stick read from the user's disk; BENCH_SETTLE the seconds the
# disk gets before each timing (default 1).
# Exit status: 0 target met, 1 missed, 2 the benchmark could not run or the copy was wrong.
set -eu

size=${1:-1G}
pairs=${2:-6}
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
case $pairs in
  ''|*[!0-9]*|0) echo "copy_vs_cp: PAIRS must be a positive number, not '$pairs'" >&2; exit 2 ;;
esac

work=$(mktemp -d "${BENCH_DIR:-/var/tmp}/copy_vs_cp.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
if [ -n "${BENCH_SOURCE_DIR:-}" ]; then
  source_folder=$(mktemp -d "$BENCH_SOURCE_DIR/copy_vs_cp-source.XXXXXX")
  trap 'rm -rf "$work" "$source_folder"' EXIT
else
  source_folder=$work/source
  mkdir "$source_folder"
fi
mkdir "$work/cp" "$work/vantrel"
head -c "$size" /dev/urandom > "$source_folder/file.bin"
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
  cp "$source_folder/file.bin" "$work/cp/file.bin"
  sync "$work/cp/file.bin"
  seconds "$start" "$(now)"
}

time_vantrel() {
  settle "$work/vantrel/file.bin"
  start=$(now)
  "$bench" "$source_folder/file.bin" "$work/vantrel/file.bin" > /dev/null
  seconds "$start" "$(now)"
}

# One round of each first, not counted: the first writes after making the source are slower.
time_vantrel > /dev/null
time_cp > /dev/null

echo "size: $size, pairs: $pairs (settle ${BENCH_SETTLE:-1} s before each copy)"
nl='
'
ratios=""
couples=""
previous=n/a
vantrel_times=""
cp_times=""
i=1
while [ "$i" -le "$pairs" ]; do
  # Each pair is two copies back to back. Which one goes first alternates from pair to pair, so
  # a disk that speeds up or slows down during the run favours neither side.
  if [ $((i % 2)) -eq 1 ]; then
    order="vantrel first"
    v=$(time_vantrel); c=$(time_cp)
  else
    order="cp first"
    c=$(time_cp); v=$(time_vantrel)
  fi
  r=$(awk -v v="$v" -v c="$c" 'BEGIN { if (c > 0) printf "%.3f", v / c; else print "n/a" }')
  printf 'pair %d: vantrel %s s, cp + sync %s s, ratio %s (%s)\n' "$i" "$v" "$c" "$r" "$order"
  [ "$r" != n/a ] && ratios="$ratios$r$nl"
  # A cp-first pair and the vantrel-first pair before it make a couple whose geometric mean
  # cancels whatever going first or second costs on this disk (on some virtual disks the second
  # of two close 1 GiB writes is several times slower, whichever program makes it).
  if [ $((i % 2)) -eq 0 ] && [ "$r" != n/a ] && [ "$previous" != n/a ]; then
    couples="$couples$(awk -v a="$previous" -v b="$r" 'BEGIN { printf "%.3f", sqrt(a * b) }')$nl"
  fi
  previous=$r
  vantrel_times="$vantrel_times$v$nl"
  cp_times="$cp_times$c$nl"
  i=$((i + 1))
done

if ! cmp -s "$source_folder/file.bin" "$work/vantrel/file.bin"; then
  echo "copy_vs_cp: the copy differs" >&2
  exit 2
fi

# Reads numbers, one a line, and prints "count median q1 q3 min max" (quartiles interpolated
# between the sorted values).
summary() {
  sort -n | awk '
    function at(p,   h, l) { h = (n - 1) * p + 1; l = int(h); return (l >= n) ? v[n] : v[l] + (h - l) * (v[l + 1] - v[l]) }
    NF { v[++n] = $1 }
    END { if (n == 0) { print 0; exit } printf "%d %.3f %.3f %.3f %.3f %.3f\n", n, at(0.5), at(0.25), at(0.75), v[1], v[n] }'
}

median_of() { printf '%s' "$1" | summary | awk '{ print $2 }'; }
echo "vantrel median $(median_of "$vantrel_times") s, cp + sync median $(median_of "$cp_times") s"
if [ -z "$ratios" ]; then
  echo "ratio vantrel / cp+sync: n/a (too fast to time; target <= 1.1: missed)"
  exit 1
fi
printf '%s' "$ratios" | summary | awk '{
  printf "ratio vantrel / cp+sync, median of %d pairs: %.3f (quartiles %.3f to %.3f, min %.3f, max %.3f)\n", $1, $2, $3, $4, $5, $6 }'
# The target is judged on the order-balanced figure where there is a couple to make it.
[ -n "$couples" ] || couples=$ratios
printf '%s' "$couples" | summary | awk '{
  printf "order-balanced ratio, median of %d couples of pairs (one of each order): %.3f (min %.3f, max %.3f)\n", $1, $2, $5, $6
  printf "target <= 1.1: %s\n", ($2 <= 1.1) ? "met" : "missed"
  exit ($2 <= 1.1) ? 0 : 1 }'

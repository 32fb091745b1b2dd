#!/usr/bin/env bash
# Runs every benchmark and prints each figure beside its reference's, measured in the same run on
# the same machine: "figure | reference | ratio | target met|missed".
#   bench/run-all.sh           full sizes: folders of 100,000 and 1,000,000 files, a 1 GiB copy
#                              against cp in 10 pairs, the same onto exFAT and NTFS images through
#                              their FUSE drivers in 6 pairs, repainting during a 2 GiB copy, start-up
#                              on X (Xvfb) on two desktops
#   bench/run-all.sh --smoke   each once on a small size, in a few seconds, so CI keeps them working
#                              (at these sizes the ratios say little; only failures count)
# BUILD names an optimised build folder (default build/linux). The folders are made under
# BENCH_DIR (default /var/tmp, which is on disk where /tmp may be memory) and removed afterwards;
# the full run needs about 8 GiB free there for the copies and the stick images.
# Exit status: 0 when every target is met (smoke: when every benchmark ran), 1 when one was
# missed, 2 or more when a benchmark failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
build=${BUILD:-build/linux}
case $build in
  /*) bin=$build/bench ;;
  *) bin=$PWD/$build/bench ;;
esac
smoke=false
[ "${1:-}" = --smoke ] && smoke=true

if $smoke; then
  files=3000 huge=10000 folders=30 runs=1 starts=1 copy_size=8M copy_pairs=1 repaint_size=8M
  stick_image=64M stick_pairs=1
  repaint_mode=--smoke
else
  files=100000 huge=1000000 folders=1000 runs=7 starts=15 copy_size=1G copy_pairs=10 repaint_size=2G
  stick_image=3G stick_pairs=6
  repaint_mode=
fi

for program in make_folder list_bench startup_bench vantrel_startup same_widgets_qt_window \
               minimal_qt_window label_qt_window copy_bench repaint_bench; do
  if [ ! -x "$bin/$program" ]; then
    echo "run-all: $bin/$program is missing; build $build with VANTREL_BUILD_BENCHMARKS=ON" >&2
    exit 2
  fi
done

export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
work=$(mktemp -d "${BENCH_DIR:-/var/tmp}/vantrel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

worst=0
# Runs one benchmark and keeps the worst outcome: 1 a missed target, more a failure.
run() {
  "$@" 2> >(grep -v 'propagateSizeHints' >&2)
  local status=$?
  [ "$status" -gt "$worst" ] && worst=$status
  return 0
}

echo "== $(date -u +%Y-%m-%dT%H:%MZ), $(nproc) cores, $(uname -sr), build $build$($smoke && echo ', smoke run')"
"$bin/make_folder" "$work/start" 20 3 || exit 2

echo "== listing, clicking, refreshing: $files files and $folders folders"
"$bin/make_folder" "$work/large" "$files" "$folders" || exit 2
run "$bin/list_bench" "$work/large" "$files" "$folders" "$work/start" "$runs"

echo "== memory: $huge files"
# The large folder grows into the huge one: making files costs far more than listing them.
"$bin/make_folder" "$work/large" "$huge" "$folders" "$files" || exit 2
run "$bin/list_bench" --memory "$work/large" "$huge" "$folders" "$work/start"
rm -rf "$work/large"

# Start-up on a real X server (Xvfb, no window manager), on two desktops of the benchmark's own
# making (bench/icon_themes.sh): one whose icon theme is up to date, one whose theme cache is
# stale beside a per-user icon folder without a cache. Offscreen, where no icon theme is
# consulted, for context only.
"$(dirname "$0")/icon_themes.sh" "$work/desktops" || exit 2
startup=("$bin/startup_bench" "$bin/vantrel_startup" "$bin/same_widgets_qt_window" "$work/start"
         "$starts" "$bin/minimal_qt_window" "$bin/label_qt_window")
for desktop in clean stale; do
  echo "== start-up on X, $desktop icon theme"
  d=$work/desktops/$desktop
  run xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb HOME="$d/home" \
    XDG_DATA_HOME="$d/data-home" XDG_DATA_DIRS="$d/data-dirs" XDG_CONFIG_HOME="$d/home/.config" \
    "${startup[@]}"
done
echo "== start-up offscreen, for context"
run "${startup[0]}" --context "${startup[@]:1}"

echo "== copy: $copy_size against cp + sync, in pairs"
COPY_BENCH=$bin/copy_bench BENCH_DIR=$work run bench/copy_vs_cp.sh "$copy_size" "$copy_pairs"

# Onto the sticks users carry: exFAT and NTFS images through their own FUSE drivers
# (tests/posix/carried_fs.sh mounts them), the source on the disk.
for kind in exfat ntfs; do
  echo "== copy onto $kind through its FUSE driver: $copy_size against cp + sync, in pairs"
  stick=$work/stick-$kind
  mkdir -p "$stick"
  if sh tests/posix/carried_fs.sh mount "$kind" "$stick" "$stick_image"; then
    COPY_BENCH=$bin/copy_bench BENCH_DIR=$stick/mount BENCH_SOURCE_DIR=$work \
      run bench/copy_vs_cp.sh "$copy_size" "$stick_pairs"
    sh tests/posix/carried_fs.sh unmount "$stick" || worst=2
  else
    echo "run-all: could not mount $kind (needs root and its driver: scripts/install-deps.sh)" >&2
    worst=2
  fi
done

echo "== repaint while the Copy button copies $repaint_size"
run "$bin/repaint_bench" $repaint_mode "$work" "$repaint_size"

if $smoke && [ "$worst" -le 1 ]; then
  exit 0
fi
exit "$worst"

#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: the fault-finding checks and the project's names) over every
# source under src/ that a configured build compiles, and fails on any finding.
#   scripts/tidy.sh linux    the portable code, the POSIX services and the Qt front end; the build
#                            must have been built once, for the Qt sources' generated files
#   scripts/tidy.sh mingw    the Win32 services and front end, as mingw-w64 compiles them
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${1:?which build: linux or mingw}
build=build/$preset
[ -f "$build/compile_commands.json" ] || { echo "configure $build first" >&2; exit 2; }

files=("$PWD/src/")
extra=()
if [ "$preset" = mingw ]; then
  # clang finds mingw-w64's C headers from the compiler's name, but not GCC's C++ library.
  gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
  extra=(-extra-arg=-nostdinc++ -extra-arg=-isystem"$gcc_dir/include/c++"
         -extra-arg=-isystem"$gcc_dir/include/c++/x86_64-w64-mingw32"
         -extra-arg=-isystem"$gcc_dir/include/c++/backward")
  # The portable code is checked in the Linux build; here only what Windows alone compiles.
  files=("$PWD/src/platform/win32/")
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "${extra[@]}" "${files[@]}" >"$log" 2>&1 || status=$?
# run-clang-tidy prints every unit's header findings again; each finding once is enough.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^[^ ].*: (warning|error): ' | sort -u || true
if [ "$status" -ne 0 ]; then
  grep -qE ': (warning|error): ' "$log" || cat "$log"
  echo "clang-tidy found the above in the $preset build" >&2
  exit 1
fi
echo "clang-tidy: nothing found in the $preset build"

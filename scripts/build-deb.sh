#!/usr/bin/env bash
# Builds the program the way a Debian package is built, with the distribution's own optimisation
# and hardening flags from dpkg-buildflags and warnings left as warnings, so the .deb that
# scripts/check-packaging.sh checks is the one a distribution would ship.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/deb}

# CMake reads no CPPFLAGS, so the preprocessor flags (_FORTIFY_SOURCE) go with the compiler's.
# Build type "None" adds nothing of CMake's own to them, as Debian's packaging tools do.
export CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DVANTREL_BUILD_TESTS=OFF \
  -DVANTREL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

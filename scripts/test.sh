#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the normal build, then its Debian
# package (scripts/check-package.sh), then the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzz target for a bounded time (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCURVALIS_BUILD_TESTS=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2

# The Debian package of this build: its dependencies, files, program, manual page and lintian.
scripts/check-package.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCURVALIS_SANITIZE=ON \
  -DCURVALIS_BUILD_TESTS=ON
cmake --build build-asan -j2
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j2

# Hostile input: every fuzz target for a bounded time (FUZZ_SECONDS, 30 by default).
scripts/fuzz.sh

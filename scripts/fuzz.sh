#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time with a fixed seed.
# Fails on any crash, leak, timeout or sanitizer report.
#   FUZZ_SECONDS=600 scripts/fuzz.sh        a longer run (10 minutes a target)
#   scripts/fuzz.sh formula_fuzz            one target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCURVALIS_FUZZ=ON -DCURVALIS_BUILD_GUI=OFF -DCURVALIS_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(archive_fuzz formula_fuzz prepare_fuzz)
for t in "${targets[@]}"; do
  seeds="fuzz/corpus/${t%_fuzz}"
  work="build-fuzz/corpus-$t"
  mkdir -p "$work" "build-fuzz/artifacts-$t"
  echo "== $t for ${seconds}s"
  "build-fuzz/fuzz/$t" -seed=1 -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -max_len=20000 -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts-$t/" \
    "$work" "$seeds" 2>&1 | tail -n 12
  # A finding leaves a crash-, leak-, timeout- or oom- file and a non-zero status above.
  if ls "build-fuzz/artifacts-$t/"* >/dev/null 2>&1; then
    echo "$t: finding in build-fuzz/artifacts-$t" >&2
    exit 1
  fi
done

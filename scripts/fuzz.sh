#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time with a fixed seed,
# one after the other (one core). Fails on any crash, leak, timeout or sanitizer report.
#   scripts/fuzz.sh                         every target, 30 seconds each
#   FUZZ_SECONDS=600 scripts/fuzz.sh        a longer run (10 minutes a target)
#   scripts/fuzz.sh formula_fuzz            one target
# Each target starts from its seeds in fuzz/corpus/NAME (NAME.dict beside them is its
# dictionary, if any) and grows its corpus in build-fuzz/corpus-TARGET, kept between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCURVALIS_FUZZ=ON -DCURVALIS_BUILD_GUI=OFF -DCURVALIS_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in build-fuzz/fuzz/*_fuzz; do targets+=("$(basename "$t")"); done
fi
for t in "${targets[@]}"; do
  name=${t%_fuzz}
  work="build-fuzz/corpus-$t"
  artifacts="build-fuzz/artifacts-$t"
  rm -rf "$artifacts"
  mkdir -p "$work" "$artifacts"
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
  echo "== $t for ${seconds}s"
  status=0
  "build-fuzz/fuzz/$t" -seed=1 -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -max_len=20000 -print_final_stats=1 -artifact_prefix="$artifacts/" "${dict[@]}" \
    "$work" "fuzz/corpus/$name" >"build-fuzz/$t.log" 2>&1 || status=$?
  grep -E '^(#[0-9]+\s+DONE|stat::(average_exec_per_sec|new_units_added|peak_rss_mb))' \
    "build-fuzz/$t.log" || true
  echo "corpus: $(find "$work" -type f | wc -l) inputs"
  # A finding leaves a crash-, leak-, timeout- or oom- file and a non-zero status.
  if [ "$status" -ne 0 ] || ls "$artifacts/"* >/dev/null 2>&1; then
    tail -n 40 "build-fuzz/$t.log" >&2
    echo "$t: finding in $artifacts (log: build-fuzz/$t.log)" >&2
    exit 1
  fi
done
echo "fuzz: ${#targets[@]} passed, 0 failed"

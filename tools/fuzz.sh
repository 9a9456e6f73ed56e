#!/usr/bin/env bash
# Fuzzes the portable core with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer: each target in turn for the given number of
# seconds (default 60), starting from the seeds in tests/fuzz/corpus/.
#
#   tools/fuzz.sh [seconds-per-target] [target...]
#
# What a run finds grows build/fuzz/corpus/<target>; an input that fails is
# kept as build/fuzz/findings/<target>-crash-* (or -timeout-*, for one input
# that runs over 20 s: a hang), and the run stops with the sanitizer's report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(profile_file ole_date adif_reader cabrillo_reader entry_points)

tools/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATS_FUZZ=ON >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target fuzz_targets >/dev/null

mkdir -p build/fuzz/findings build/fuzz/logs
for target in "${targets[@]}"; do
  corpus="build/fuzz/corpus/$target"
  log="build/fuzz/logs/$target.log"
  mkdir -p "$corpus"
  if ! "build/fuzz/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
       -artifact_prefix="build/fuzz/findings/$target-" "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $target failed; the input is in build/fuzz/findings/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz: $target: $runs runs in ${seconds}s, no failure"
done

#!/usr/bin/env bash
# fuzz-long.sh [SECONDS] [FUZZER...]: runs the libFuzzer harnesses of
# tests/fuzz for long, one after the other, each for SECONDS (default 3600)
# or, with KORVANE_FUZZ_RUNS=N, until N inputs ran (SECONDS then caps it),
# on a growing corpus kept in build/asan/tests/fuzz/corpus/<name> (the seeds of
# tests/fuzz/corpus/<name> and the build's own of build/asan/tests/fuzz/seeds/<name>
# are read, never written). Without names, runs them
# all. Builds them first in the clang sanitizer build (build/asan, or
# KORVANE_BUILD_ROOT/asan). Prints each harness's executions and exits
# non-zero when any one found a fault (its input is in .../artifacts/<name>/).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${KORVANE_BUILD_ROOT:-$root/build}/asan
seconds=${1:-3600}
shift || true

cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_WERROR=ON \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKORVANE_BUILD_BENCH=OFF \
  -DKORVANE_SANITIZE=address,undefined >/dev/null
names=("$@")
if ((${#names[@]} == 0)); then
  mapfile -t names < <(find "$root/tests/fuzz/corpus" -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
fi
cmake --build "$dir" -j "${KORVANE_JOBS:-2}" --target "${names[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
failed=()
for name in "${names[@]}"; do
  corpus=$dir/tests/fuzz/corpus/$name
  artifacts=$dir/tests/fuzz/artifacts/$name
  mkdir -p "$corpus" "$artifacts"
  log=$dir/tests/fuzz/$name.long.log
  echo "=== $name: ${seconds}s, log $log"
  status=0
  (cd "$dir/tests/fuzz" && KORVANE_REGISTRY=$dir/tests/fuzz/registry "$dir/bin/fuzz_$name" \
    -max_total_time="$seconds" ${KORVANE_FUZZ_RUNS:+-runs=$KORVANE_FUZZ_RUNS} -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "$root/tests/fuzz/corpus/$name" "$dir/tests/fuzz/seeds/$name") >"$log" 2>&1 ||
    status=$?
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log" || true
  if ((status != 0)); then
    echo "FAULT in $name (exit $status); see $log"
    failed+=("$name")
  fi
done
if ((${#failed[@]} > 0)); then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "No fault found."

#!/usr/bin/env bash
# Builds and tests both builds: native Linux, then Windows x64 cross-built with
# MinGW-w64 and tested under Wine. Warnings are errors in both.
# Exits non-zero when either build or any of its tests fails.
#
# Environment: KORVANE_BUILD_ROOT (default <repo>/build), KORVANE_JOBS
# (default: number of processors), KORVANE_BUILD_TYPE (default Release).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=${KORVANE_BUILD_ROOT:-$root/build}
jobs=${KORVANE_JOBS:-$(nproc)}
build_type=${KORVANE_BUILD_TYPE:-Release}

failed=()
summary=()

# ccache, where the machine has it, keeps rebuilds of unchanged files cheap.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# run_phase <label> <command...>: runs one step, times it, records failure.
run_phase() {
  local label=$1
  shift
  local start=$SECONDS status=0
  echo "=== $label"
  "$@" || status=$?
  local took=$((SECONDS - start))
  if ((status == 0)); then
    summary+=("$label: ok (${took}s)")
  else
    summary+=("$label: FAILED, exit $status (${took}s)")
    failed+=("$label")
  fi
  return "$status"
}

# build_and_test <name> <cmake configure options...>
build_and_test() {
  local name=$1
  shift
  local dir=$build_root/$name
  run_phase "$name configure" \
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DKORVANE_WERROR=ON \
    "${launcher[@]}" "$@" &&
    run_phase "$name build" cmake --build "$dir" -j "$jobs" &&
    run_phase "$name test" \
      ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error
}

build_and_test linux || true
build_and_test windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" || true

echo "=== summary"
printf '  %s\n' "${summary[@]}"
# Information only: the tests' share of the code, which should stay at most a third.
echo "  $("$root/tools/test_share.sh" || echo "test share: not measured")"
if ((${#failed[@]} > 0)); then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All builds and tests passed."

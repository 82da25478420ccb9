#!/usr/bin/env bash
# Builds and tests both builds: native Linux, then Windows x64 cross-built with
# MinGW-w64 and tested under Wine. Warnings are errors in both. Then, with
# clang, the Linux suite and the fuzzers under AddressSanitizer and
# UndefinedBehaviorSanitizer (build/asan; each fuzzer runs
# KORVANE_FUZZ_SECONDS, default 20) and the threaded suites under
# ThreadSanitizer (build/tsan); any sanitizer report fails its test.
# Exits non-zero when any build or any of its tests fails.
#
# Environment: KORVANE_BUILD_ROOT (default <repo>/build), KORVANE_JOBS
# (default: number of processors), KORVANE_BUILD_TYPE (default Release).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=${KORVANE_BUILD_ROOT:-$root/build}
jobs=${KORVANE_JOBS:-$(nproc)}
build_type=${KORVANE_BUILD_TYPE:-Release}

# What the builds and tests need, installed when missing (Debian 12; apt-get,
# through sudo when not root), so that this command runs on a fresh machine.
bash "$root/tools/install-packages.sh" \
  cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev \
  mingw-w64 mingw-w64-tools g++-mingw-w64-x86-64-posix wine wine64 libwine-dev clang-format \
  clang-14 libclang-rt-14-dev \
  libcli11-dev nlohmann-json3-dev libxslt1-dev libcpp-httplib-dev python3 python3-jsonschema prometheus chromium tmux \
  dpkg-dev pkg-config python3-pytest lintian man-db python3-build python3-setuptools python3-wheel python3-venv python3-pip \
  wixl msitools llvm-14

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

# Sanitizer reports end the program with a failure; the leak checker runs.
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

# build_and_test <name> <label> <cmake configure options...>: with a label,
# builds and runs only the tests that carry it.
build_and_test() {
  local name=$1 label=$2
  shift 2
  local dir=$build_root/$name
  local targets=() select=()
  run_phase "$name configure" \
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DKORVANE_WERROR=ON \
    "${launcher[@]}" "$@" || return
  if [[ -n $label ]]; then
    select=(-L "$label")
    # CTest names each test after its program's target; the fixture that empties
    # the tests' runtime folders, listed with every selection, is no target.
    mapfile -t targets < <(ctest --test-dir "$dir" -N -L "$label" | sed -n 's/^ *Test *#[0-9]*: //p' |
      grep -vx test_runtime_setup)
    targets=(--target "${targets[@]}")
  fi
  run_phase "$name build" cmake --build "$dir" -j "$jobs" "${targets[@]}" &&
    run_phase "$name test" \
      ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error "${select[@]}"
}

clang=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKORVANE_BUILD_BENCH=OFF)
# After each build's tests, its package, installed and used as a user would (tests/package).
build_and_test linux "" &&
  run_phase "linux package" "$root/tests/package/package_test.sh" "$build_root/linux" || true
# The Python wheel in a fresh venv of another interpreter, against the Linux build's driver.
[[ -f $build_root/linux/bin/libKorvane.so.0 ]] &&
  run_phase "linux wheel" "$root/tests/python/wheel_test.sh" "$build_root/linux/bin/libKorvane.so.0" ||
  true
build_and_test windows "" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" &&
  run_phase "windows package" "$root/tests/package/package_test.sh" --zip "$build_root/windows" ||
  true
build_and_test asan "" "${clang[@]}" -DKORVANE_SANITIZE=address,undefined || true
build_and_test tsan threads "${clang[@]}" -DKORVANE_SANITIZE=thread || true

echo "=== summary"
printf '  %s\n' "${summary[@]}"
# Information only: the tests' share of the code, which should stay at most a third.
echo "  $("$root/tools/test_share.sh" || echo "test share: not measured")"
if ((${#failed[@]} > 0)); then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All builds and tests passed."

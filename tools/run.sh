#!/usr/bin/env bash
# Installs what the build needs (Debian 12; apt-get, through sudo when not
# root), builds the driver for Linux and runs the example client with the
# given arguments. Until the example client exists it runs korvane-about.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KORVANE_BUILD_ROOT:-$root/build}/run

bash "$root/tools/install-packages.sh" cmake ninja-build g++

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKORVANE_BUILD_TESTS=OFF -DKORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

for program in korvane-health korvane-about; do
  if [[ -x $build/bin/$program ]]; then
    exec "$build/bin/$program" "$@"
  fi
done
echo "run.sh: no example client was built" >&2
exit 1

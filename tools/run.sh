#!/usr/bin/env bash
# Installs what the build needs (Debian 12; apt-get, through sudo when not
# root), builds the driver, the korvane program, korvane-regsvr and the
# configuration server for Linux and runs `korvane status` on the virtual
# chassis, or korvane with the given arguments.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KORVANE_BUILD_ROOT:-$root/build}/run

# What the installation and the build print goes to stderr: stdout is korvane's
# own, so that `./tools/run.sh status --json | jq` reads only the document.
{
  # mingw-w64-tools and libwine-dev: the IDL compiler and the Windows IDL files
  # that make the type library the driver embeds, on Linux too.
  bash "$root/tools/install-packages.sh" cmake ninja-build g++ libcli11-dev nlohmann-json3-dev \
    libxslt1-dev libcpp-httplib-dev mingw-w64-tools libwine-dev
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKORVANE_BUILD_TESTS=OFF -DKORVANE_BUILD_BENCH=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)" --target korvane korvane-regsvr IviConfigServer
} >&2

# The virtual chassis answers only when asked; this command asks for it.
export KORVANE_VIRTUAL_CHASSIS=${KORVANE_VIRTUAL_CHASSIS:-1}

if (($# == 0)); then
  set -- status
fi
exec "$build/bin/korvane" "$@"

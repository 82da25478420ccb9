#!/usr/bin/env bash
# package_test.sh <Linux build folder>
# package_test.sh --zip <Windows build folder>
# Makes the .deb of a finished Linux build and proves it: installs it, builds
# the C example with pkg-config and the C++ example with find_package(Korvane)
# against the installed files, runs them, the Python package and
# `korvane --simulate status` from the installed files, then removes the
# package and checks that nothing of it is left.
#
# KORVANE_PACKAGE_INSTALL=system installs into the real system (CI, as root);
# by default the package goes into a scratch root with its own dpkg database.
# With --zip it makes the ZIP of a Windows build and checks what it holds (stripped modules,
# under 8 MB unpacked), then tests the MSI (msi_test.sh).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
zip=false
if [[ ${1:-} == --zip ]]; then
  zip=true
  shift
fi
build=$(cd "${1:?usage: package_test.sh [--zip] <build folder>}" && pwd)
mode=${KORVANE_PACKAGE_INSTALL:-scratch}
work=$(mktemp -d "$build/package-test.XXXXXX")
installed=false
cleanup() {
  # A failed run in the real system takes its package out again.
  if $installed && [[ $mode == system ]]; then dpkg --purge korvane >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "package test: $*" >&2
  exit 1
}
step() { echo "--- $*"; }
# run_logged <what> <command...>: runs the command, showing its output only when it fails.
run_logged() {
  local what=$1
  shift
  "$@" >"$work/step.log" 2>&1 || { cat "$work/step.log"; fail "$what failed"; }
}

# What the package must hold follows from the tree: the C face's header once
# the sources have it, the program and type libraries once the build made them.
c_face=false
[[ -f $root/ivic/Korvane.h ]] && c_face=true
program=false
[[ -x $build/bin/korvane || -f $build/bin/korvane.exe ]] && program=true

if $zip; then
  step "ZIP"
  rm -f "$build"/package/korvane-*.zip
  run_logged cpack cpack --config "$build/CPackConfig.cmake" -G ZIP -B "$build/package"
  archive=$(echo "$build"/package/korvane-*.zip)
  [[ -f $archive ]] || fail "no ZIP in $build/package"
  (cd "$work" && cmake -E tar xf "$archive")
  top=$(echo "$work"/korvane-*/)
  wanted=(bin/Korvane.dll bin/KorvaneAFundamental_64.dll bin/IviSessionServices.dll
    bin/IviConfigServer.dll bin/libstdc++-6.dll bin/libgcc_s_seh-1.dll bin/libwinpthread-1.dll
    lib/libKorvane.dll.a lib/pkgconfig/korvane.pc lib/cmake/Korvane/KorvaneConfig.cmake
    share/doc/korvane/LICENSE)
  $c_face && wanted+=(include/Korvane.h)
  $program && wanted+=(bin/korvane.exe)
  for tlb in "$build"/typelib/*.tlb; do [[ -f $tlb ]] && wanted+=("bin/$(basename "$tlb")"); done
  [[ -f $build/bin/IviDriverTypeLib.dll ]] && wanted+=(bin/IviDriverTypeLib.dll)
  # For COM clients and Microsoft's linker: the IDL, the COM headers, Korvane.lib and its .def.
  wanted+=(include/korvane.idl include/ivi_driver.idl include/Korvane_i.h include/Korvane_i.c
    include/ivi_driver.h include/ivi_driver_i.c lib/Korvane.lib lib/Korvane.def)
  for file in "${wanted[@]}"; do [[ -f $top/$file ]] || fail "not in the ZIP: $file"; done
  grep -q 'regsvr32 /i:user /n Korvane.dll' "$top/INSTALL.txt" || fail "no install note"
  grep -q '^ *Korvane_InitWithOptions$' "$top/lib/Korvane.def" || fail "Korvane.def lacks the C face"
  # Every module and runtime DLL stripped, and the whole under 8 MB unpacked.
  for module in "$top"/bin/*.dll "$top"/bin/*.exe; do
    symbols=$(x86_64-w64-mingw32-objdump -t "$module" | grep -c '^\[' || true)
    debug=$(x86_64-w64-mingw32-objdump -h "$module" | grep -c '\.debug' || true)
    ((symbols == 0 && debug == 0)) ||
      fail "not stripped: bin/$(basename "$module") ($symbols symbols, $debug debug sections)"
  done
  size=$(du -sb "$top" | cut -f1)
  ((size < 8 * 1024 * 1024)) || fail "the ZIP unpacks to $size bytes, 8 MB or more"
  echo "ZIP test passed: $(basename "$archive"), $size bytes unpacked"
  # The installer, installed and removed under Wine.
  "$root/tests/package/msi_test.sh" "$build"
  exit 0
fi

step "package"
rm -f "$build"/package/korvane_*.deb
run_logged cpack cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/package"
deb=$(echo "$build"/package/korvane_*.deb)
[[ -f $deb ]] || fail "no .deb in $build/package"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./||' >"$work/contents"

step "install ($mode)"
if [[ $mode == system ]]; then
  target=
  dpkg=(dpkg)
  dpkg-query -W korvane >/dev/null 2>&1 && fail "korvane is installed already"
else
  target=$work/root
  mkdir -p "$target/var/lib/dpkg/info" "$target/var/lib/dpkg/updates"
  touch "$target/var/lib/dpkg/status" "$target/var/lib/dpkg/available"
  dpkg=(dpkg "--root=$target" --log=/dev/null --force-not-root --force-depends
    --force-script-chrootless)
  export LD_LIBRARY_PATH=$target/usr/lib PKG_CONFIG_PATH=$target/usr/lib/pkgconfig
  export PYTHONPATH=$target/usr/lib/python3/dist-packages
fi
prefix=$target/usr
installed=true
run_logged "dpkg --install" "${dpkg[@]}" --install "$deb"
require_installed() {
  for file in "$@"; do [[ -e $prefix/$file ]] || fail "not installed: /usr/$file"; done
}
require_installed lib/libKorvane.so lib/libKorvaneAFundamental_64.so lib/libIviSessionServices.so \
  lib/libIviConfigServer.so lib/pkgconfig/korvane.pc lib/cmake/Korvane/KorvaneConfig.cmake \
  lib/python3/dist-packages/korvane/py.typed share/doc/korvane/README.md
$c_face && require_installed include/Korvane.h
$program && require_installed bin/korvane
[[ -f $build/bin/libIviDriverTypeLib.so ]] && require_installed lib/libIviDriverTypeLib.so
[[ -x $build/bin/korvane-regsvr ]] && require_installed bin/korvane-regsvr

# The examples and programs run in a home of their own (registry, stores).
export HOME=$work/home KORVANE_REGISTRY=$work/home/registry
mkdir -p "$HOME"
unset KORVANE_LIBRARY KORVANE_IVI_CONFIG

step "Python package"
# Importing writes byte-code beside the installed modules: removal must take it too.
env -u PYTHONDONTWRITEBYTECODE /usr/bin/python3 -c \
  'import korvane._library as library; print(library.load_module()._name)' ||
  fail "the installed Python package does not load the driver module"

step "pkg-config and find_package"
version=$(sed -n 's/^Version: //p' "$build/package/korvane.pc")
[[ $(pkg-config --modversion korvane) == "$version" ]] || fail "pkg-config does not find korvane"
run_logged "find_package(Korvane)" \
  cmake -S "$root/examples/cxx" -B "$work/cxx" -G Ninja ${target:+"-DCMAKE_PREFIX_PATH=$prefix"}

if $c_face; then
  step "C example (pkg-config)"
  # shellcheck disable=SC2046  # pkg-config's flags are separate words
  cc -std=c99 -Wall -Wextra -Werror "$root/examples/c/simulated_session.c" \
    $(pkg-config --cflags --libs korvane) -o "$work/c_example"
  "$work/c_example" | tee "$work/c.out"
  grep -q '^model Q7730A, ' "$work/c.out" || fail "the C example read no model"

  step "C++ example (find_package)"
  run_logged "the C++ example's build" cmake --build "$work/cxx"
  "$work/cxx/simulated_session" | tee "$work/cxx.out"
  grep -q '^VPLUS_5_0 ' "$work/cxx.out" || fail "the C++ example read no rails"

  step "Python session"
  /usr/bin/python3 -c 'import korvane
with korvane.Session("PXI0::0::INSTR", simulate=True) as s:
    print(s.identity.instrument_model, s.temperature_sensors["TS1"].temperature)' |
    tee "$work/py.out"
  grep -q '^Q7730A ' "$work/py.out" || fail "the Python package read no model"
else
  echo "the sources have no C face yet (ivic/Korvane.h): examples not built"
fi

if $program; then
  step "korvane --simulate status"
  "$prefix/bin/korvane" --simulate status
fi

step "remove"
run_logged "dpkg --purge" "${dpkg[@]}" --purge korvane
installed=false
while read -r entry; do
  [[ -z $entry || $entry == */ ]] && continue
  [[ -e $target/$entry || -L $target/$entry ]] && fail "left behind: /$entry"
done <"$work/contents"
if [[ -n $target ]]; then
  left=$(find "$target" -mindepth 1 -path "$target/var" -prune -o -print)
  [[ -z $left ]] || fail "left behind: $left"
fi
echo "package test passed: $(basename "$deb")"

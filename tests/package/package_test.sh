#!/usr/bin/env bash
# package_test.sh <Linux build folder>
# package_test.sh --zip <Windows build folder>
# Makes the Debian packages of a finished Linux build (tools/make_debs.sh)
# and proves them: lintian without errors or warnings that are not overridden,
# installs them, builds the C example with pkg-config and the C++ example with
# find_package(Korvane) from the installed examples folder, runs them, the
# Python package and `korvane --simulate status` from the installed files,
# then purges the packages and checks that nothing of them is left.
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
pkg_config_options=()
cleanup() {
  # A failed run in the real system takes its package out again.
  if $installed && [[ $mode == system ]]; then
    dpkg --purge libkorvane0 libkorvane-dev korvane python3-korvane >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

test_name="package test"
source "$root/tests/package/steps.sh"

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

packages=(libkorvane0 libkorvane-dev korvane python3-korvane)
step "packages"
rm -f "$build"/package/*.deb
mapfile -t debs < <("$root/tools/make_debs.sh" "$build" "$build/package")
((${#debs[@]} == ${#packages[@]})) || fail "make_debs.sh made ${#debs[@]} packages: ${debs[*]}"
for deb in "${debs[@]}"; do
  dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./||' >>"$work/contents"
done

step "lintian"
# Every warning left is overridden in the package with its reason.
lintian --fail-on error,warning "${debs[@]}" ||
  fail "lintian found errors or warnings"

step "install ($mode)"
if [[ $mode == system ]]; then
  target=
  dpkg=(dpkg)
  for package in "${packages[@]}"; do
    dpkg-query -W "$package" >/dev/null 2>&1 && fail "$package is installed already"
  done
else
  target=$work/root
  mkdir -p "$target/var/lib/dpkg/info" "$target/var/lib/dpkg/updates"
  touch "$target/var/lib/dpkg/status" "$target/var/lib/dpkg/available"
  dpkg=(dpkg "--root=$target" --log=/dev/null --force-not-root --force-depends
    --force-script-chrootless)
  export LD_LIBRARY_PATH=$target/usr/lib PKG_CONFIG_PATH=$target/usr/lib/pkgconfig
  export PYTHONPATH=$target/usr/lib/python3/dist-packages MANPATH=$target/usr/share/man
  # The .pc names /usr; pkg-config finds the scratch prefix from the file's place.
  pkg_config_options=(--define-prefix)
fi
prefix=$target/usr
installed=true
run_logged "dpkg --install" "${dpkg[@]}" --install "${debs[@]}"
require_installed() {
  for file in "$@"; do [[ -e $prefix/$file ]] || fail "not installed: /usr/$file"; done
}
examples=share/doc/libkorvane-dev/examples
require_installed lib/libKorvane.so.0 lib/libKorvane.so lib/korvane/libKorvaneAFundamental_64.so \
  lib/korvane/libIviSessionServices.so lib/korvane/libIviConfigServer.so \
  lib/pkgconfig/korvane.pc lib/cmake/Korvane/KorvaneConfig.cmake \
  lib/python3/dist-packages/korvane/py.typed share/doc/korvane/README.md \
  $examples/c/simulated_session.c $examples/cxx/CMakeLists.txt
$c_face && require_installed include/Korvane.h
$program && require_installed bin/korvane
[[ -f $build/bin/libIviDriverTypeLib.so ]] && require_installed lib/korvane/libIviDriverTypeLib.so
[[ -x $build/bin/korvane-regsvr ]] && require_installed bin/korvane-regsvr
# Nothing of the packages' under a generic name in the system's library folder but the driver
# (what else the folder holds is the system's).
generic=$(grep -E '^usr/lib/[^/]+\.so' "$work/contents" | grep -v '^usr/lib/libKorvane\.so' || true)
[[ -z $generic ]] || fail "libraries outside the driver's private folder: $generic"

# The examples and programs run in a home of their own (registry, stores).
export HOME=$work/home KORVANE_REGISTRY=$work/home/registry
mkdir -p "$HOME"
unset KORVANE_LIBRARY KORVANE_IVI_CONFIG

step "Python package"
# Importing writes byte-code beside the installed modules: removal must take it too.
env -u PYTHONDONTWRITEBYTECODE /usr/bin/python3 -c \
  'import korvane._library as library; print(library.load_module()._name)' | tee "$work/module" ||
  fail "the installed Python package does not load the driver module"
# The runtime's own name: the unversioned link belongs to the development package.
[[ $(cat "$work/module") == libKorvane.so.0 ]] || fail "Python loaded $(cat "$work/module")"

step "pkg-config and find_package"
version=$(dpkg-deb -f "${debs[0]}" Version)
[[ $(pkg-config --modversion korvane) == "$version" ]] || fail "pkg-config does not find korvane"
# Plain flags: /usr/include (left out by pkg-config, as a system folder) or the scratch copy.
cflags=$(pkg-config "${pkg_config_options[@]}" --cflags korvane | xargs)
[[ $cflags == "${target:+-I$prefix/include}" ]] || fail "korvane.pc gives the flags '$cflags'"
run_logged "find_package(Korvane)" \
  cmake -S "$prefix/$examples/cxx" -B "$work/cxx" -G Ninja ${target:+"-DCMAKE_PREFIX_PATH=$prefix"}

if $c_face; then
  step "C example (pkg-config), from $examples"
  # shellcheck disable=SC2046  # pkg-config's flags are separate words
  cc -std=c99 -Wall -Wextra -Werror "$prefix/$examples/c/simulated_session.c" \
    $(pkg-config "${pkg_config_options[@]}" --cflags --libs korvane) -o "$work/c_example"
  "$work/c_example" | tee "$work/c.out"
  grep -q '^model Q7730A, ' "$work/c.out" || fail "the C example read no model"

  step "C++ example (find_package), from $examples"
  run_logged "the C++ example's build" cmake --build "$work/cxx"
  "$work/cxx/simulated_session" | tee "$work/cxx.out"
  grep -q '^VPLUS_5_0 ' "$work/cxx.out" || fail "the C++ example read no rails"
  readelf -d "$work/cxx/simulated_session" | grep -q 'NEEDED.*\[libKorvane\.so\.0\]' ||
    fail "the C++ example does not need libKorvane.so.0"

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
  step "man korvane"
  man -P cat korvane 2>/dev/null | grep -q '^EXIT STATUS' || fail "man korvane shows no page"
  [[ -f $prefix/share/bash-completion/completions/korvane ]] || fail "no bash completion"

  step "korvane status: the virtual chassis answers only when asked, and says so"
  if env -u KORVANE_VIRTUAL_CHASSIS -u KORVANE_CHASSIS_SCENARIO "$prefix/bin/korvane" status \
    >"$work/off.out" 2>&1; then
    fail "korvane status succeeded without a chassis"
  fi
  grep -q 'No chassis answered at PXI0::0::INSTR.*KORVANE_VIRTUAL_CHASSIS=1' "$work/off.out" ||
    fail "without a chassis, korvane did not say how to use the virtual chassis"
  KORVANE_VIRTUAL_CHASSIS=1 XDG_RUNTIME_DIR=$work "$prefix/bin/korvane" identity | tee "$work/on.out"
  grep -q '^ *Firmware revision .* (virtual chassis)$' "$work/on.out" ||
    fail "the virtual chassis did not say that it is virtual"
fi

step "remove"
run_logged "dpkg --purge" "${dpkg[@]}" --purge "${packages[@]}"
installed=false
while read -r entry; do
  [[ -z $entry || $entry == */ ]] && continue
  [[ -e $target/$entry || -L $target/$entry ]] && fail "left behind: /$entry"
done <"$work/contents"
if [[ -n $target ]]; then
  left=$(find "$target" -mindepth 1 -path "$target/var" -prune -o -print)
  [[ -z $left ]] || fail "left behind: $left"
fi
echo "package test passed: ${debs[*]##*/}"

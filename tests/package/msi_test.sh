#!/usr/bin/env bash
# msi_test.sh <Windows build folder>
# Makes the MSI of a finished Windows build (`--target msi`) and proves it under Wine in a fresh
# prefix, as a new user would: `msiexec /i ... /qn` installs it into the IVI Foundation's
# layout; a C++ COM client built from the installed headers alone creates Korvane.Korvane by its
# ProgID and reads the simulated identity, a temperature and an error's text; the IVI-C
# example, linked against the installed import library Korvane.lib, runs; the registry holds
# exactly what the module's own DllRegisterServer writes; `msiexec /x` then
# removes every file, folder and registry key the installation added (the prefix's files and
# the registry's keys and values listed before and after).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:?usage: msi_test.sh <Windows build folder>}" && pwd)
work=$(mktemp -d "$build/msi-test.XXXXXX")
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=$wine
unset DISPLAY WAYLAND_DISPLAY
prefix() { cmake -DACTION="$1" -DWINE="$wine" -DWINESERVER="$wineserver" -DPREFIX="$WINEPREFIX" \
  -P "$root/cmake/WinePrefix.cmake" >/dev/null; }
cleanup() {
  prefix cleanup || true
  rm -rf "$work"
}
trap cleanup EXIT

test_name="MSI test"
source "$root/tests/package/steps.sh"
# What the prefix holds: its files and folders (Windows's own folder only for the installer's
# package cache), and each registry value as "key<TAB>value" (and each key alone). The server
# writes the registry out when it stops; keys are shown with "/" between their parts. Left out:
# what Wine itself adds as it runs (devices and services, its own settings) and the empty
# folders of Windows Installer's own records.
wine_own='^(System/CurrentControlSet/|Software/Wine/|Software/Wow6432Node/Microsoft/Windows/CurrentVersion/RunServices$|Software/Microsoft/Windows NT/CurrentVersion/NetworkCards$|Software/Classes/Installer/(Features|Products|UpgradeCodes)$|Software/Microsoft/Windows/CurrentVersion/Installer/(UpgradeCodes|UserData/S-1-5-18/(Components|Products))$)'
snapshot() {
  "$wineserver" -k || true
  (cd "$WINEPREFIX/drive_c" && find . \( -path ./windows -o -path ./users \) -prune -o -print &&
    if [[ -d windows/Installer ]]; then find ./windows/Installer -mindepth 1; fi) | sort
  for hive in system.reg user.reg; do
    awk -v own="$wine_own" '/^\[/ { key = $0; sub(/^\[/, "", key); sub(/\]( [0-9]+)?$/, "", key)
      gsub(/\\\\/, "/", key) }
      key == "" || key ~ own || /^#time=/ { next }
      /^\[/ { print key; next }
      NF { print key "\t" $0 }' "$WINEPREFIX/$hive"
  done
}

step "MSI"
run_logged "the msi target" cmake --build "$build" --target msi
msi=$(echo "$build"/package/korvane-*-win64.msi)
[[ -f $msi ]] || fail "no MSI in $build/package"

step "fresh prefix"
prefix setup
snapshot >"$work/before"

step "install"
run_logged "msiexec /i" "$wine" msiexec /i "$msi" /qn
ivi="$WINEPREFIX/drive_c/Program Files/IVI Foundation/IVI"
for file in Bin/Korvane.dll Bin/IviSessionServices.dll Bin/libstdc++-6.dll Include/Korvane.h \
  Include/Korvane_i.h Include/korvane.idl Lib_x64/msc/Korvane.lib \
  Drivers/Korvane/README.md Drivers/Korvane/Korvane.tlb Drivers/Korvane/trace.xslt \
  Drivers/Korvane/examples/com/com_client.cpp; do
  [[ -f $ivi/$file ]] || fail "not installed: IVI/$file"
done

step "COM client from the installed files"
cc=x86_64-w64-mingw32-gcc-posix
cxx=x86_64-w64-mingw32-g++-posix
# The client carries its own C++ runtime: it has nothing but the installed files.
run_logged "building the COM client" "$cxx" -std=c++17 -I"$ivi/Include" \
  "$ivi/Drivers/Korvane/examples/com/com_client.cpp" "$ivi/Include/Korvane_i.c" \
  "$ivi/Include/ivi_driver_i.c" -static -lole32 -loleaut32 -luuid \
  -o "$work/com_client.exe"
output=$(cd "$work" && "$wine" com_client.exe 2>&1 | tr -d '\r') ||
  fail "the COM client failed: $output"
echo "$output"
grep -q '^instrument: .*Q7730A' <<<"$output" || fail "the COM client read no identity"
grep -q '^TS1: [0-9.-]* C' <<<"$output" || fail "the COM client read no temperature"
grep -q '^Item("TS9") failed: 0x8[0-9A-F]\{7\} Korvane: .' <<<"$output" ||
  fail "the COM client showed no error text for TS9"

step "IVI-C example against the installed import library"
run_logged "building the IVI-C example" "$cc" -I"$ivi/Include" \
  "$ivi/Drivers/Korvane/examples/c/simulated_session.c" "$ivi/Lib_x64/msc/Korvane.lib" \
  -o "$work/simulated_session.exe"
# The installer puts IVI\Bin on no search path of its own: the program's run names it.
output=$(cd "$work" && WINEPATH='C:\Program Files\IVI Foundation\IVI\Bin' "$wine" \
  simulated_session.exe 2>&1 | tr -d '\r') || fail "the IVI-C example failed: $output"
echo "$output"
grep -q '^model Q7730A' <<<"$output" || fail "the IVI-C example read no model"

# Every key below HKEY_CLASSES_ROOT that names Korvane or an identifier in the keys of the
# installer's registry rows, with its values: as the installer wrote them, and as
# DllRegisterServer writes them after DllUnregisterServer took them away. Left out: the 32-bit
# view, where Wine's type library registration copies the interfaces' keys (on Windows that
# view of them is the 64-bit one).
ids=$(msiinfo export "$msi" Registry | cut -f3 | grep -oi '[0-9a-f]\{8\}-[0-9a-f-]\{27\}' |
  tr 'A-Z' 'a-z' | sort -u | paste -sd '|')
registration() {
  "$wineserver" -k || true
  awk -v ours="^software/classes/.*(korvane|$ids)" '/^\[/ { key = $0; sub(/^\[/, "", key)
      sub(/\]( [0-9]+)?$/, "", key); gsub(/\\\\/, "/", key); key = tolower(key) }
    key !~ ours || key ~ /^software\/classes\/wow6432node\// || /^#time=/ { next }
    /^\[/ { print key; next }
    NF { print key "\t" $0 }' "$WINEPREFIX/system.reg" | sort
}
registration >"$work/by-installer"
[[ -s $work/by-installer ]] || fail "the installer registered nothing"

step "uninstall"
run_logged "msiexec /x" "$wine" msiexec /x "$msi" /qn
snapshot >"$work/after"
if ! diff "$work/before" "$work/after" >"$work/left"; then
  cat "$work/left"
  fail "the uninstalled MSI left the differences above"
fi

step "the installer's registration is the module's own"
run_logged "msiexec /i (again)" "$wine" msiexec /i "$msi" /qn
module='C:\Program Files\IVI Foundation\IVI\Bin\Korvane.dll'
run_logged "regsvr32 /u" "$wine" regsvr32 /s /u "$module"
registration >"$work/unregistered"
[[ ! -s $work/unregistered ]] ||
  fail "DllUnregisterServer left keys the installer wrote: $(head -n 3 "$work/unregistered")"
run_logged "regsvr32" "$wine" regsvr32 /s "$module"
registration >"$work/by-module"
if ! diff "$work/by-installer" "$work/by-module" >"$work/registrations"; then
  cat "$work/registrations"
  fail "the installer's registration (<) differs from DllRegisterServer's (>)"
fi
echo "$(grep -c . "$work/by-installer") registry lines, the same from the installer and the module"

echo "MSI test passed: $(basename "$msi")"

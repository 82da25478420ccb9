#!/usr/bin/env bash
# ivic_spread.sh BUILD_FOLDER [RUNS]: runs ivic_figures RUNS times (default 5) and prints, for
# each figure, every run's value, the lowest and highest and their ratio (the spread between
# runs). For a Windows build the runs are under Wine, twice: each run in a fresh prefix of its
# own, then all runs in one reused prefix (the server kept alive between them).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: ivic_spread.sh BUILD_FOLDER [RUNS]}" && pwd)
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# summarize <label> <file of "name value" lines from all runs>
summarize() {
  echo "== $1 ($runs runs)"
  awk '{ v[$1] = v[$1] " " $2; if (!($1 in lo) || $2 < lo[$1]) lo[$1] = $2;
         if ($2 > hi[$1]) hi[$1] = $2; order[$1] = NR }
       END { for (n in v) printf "%-34s lowest %9.1f highest %9.1f spread %.2fx  [%s ]\n",
             n, lo[n], hi[n], (lo[n] > 0 ? hi[n] / lo[n] : 0), v[n] }' "$2" | sort
}

if [[ -f $build/bin/ivic_figures ]]; then
  for ((i = 0; i < runs; i++)); do "$build/bin/ivic_figures"; done >"$work/linux"
  summarize "Linux" "$work/linux"
  exit 0
fi

wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
wineserver=/usr/lib/wine/wineserver64
[[ -x $wineserver ]] || wineserver=$(command -v wineserver)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=$wine
unset DISPLAY WAYLAND_DISPLAY
prefix() { cmake -DACTION="$1" -DWINE="$wine" -DWINESERVER="$wineserver" -DPREFIX="$2" \
  -P "$root/cmake/WinePrefix.cmake" >/dev/null; }
figures() { WINEPREFIX=$1 "$wine" "$build/bin/ivic_figures.exe" | tr -d '\r'; }

for ((i = 0; i < runs; i++)); do
  prefix setup "$work/fresh$i"
  figures "$work/fresh$i" >>"$work/fresh"
  prefix cleanup "$work/fresh$i"
done
summarize "Wine, a fresh prefix each run" "$work/fresh"

prefix setup "$work/reused"
for ((i = 0; i < runs; i++)); do figures "$work/reused"; done >"$work/reused.txt"
prefix cleanup "$work/reused"
summarize "Wine, one reused prefix" "$work/reused.txt"

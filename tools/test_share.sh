#!/usr/bin/env bash
# Prints the tests' share of the code: non-blank lines of the C/C++ files
# under tests/ over the non-blank lines of all tracked C/C++ files of the
# repository, tests included. Tests should stay a quarter to a third of it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

# non_blank <file...>: the number of lines with something other than blanks.
non_blank() {
  if (($# == 0)); then
    echo 0
    return
  fi
  cat -- "$@" | grep -c '[^[:space:]]' || true
}

# The tracked files; outside a git checkout, the files of the source folders.
list_sources() {
  if command -v git >/dev/null && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hh' '*.hpp' '*.hxx' '*.inl'
  else
    find . -path ./build -prune -o -path ./.git -prune -o -type f \
      \( -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.cxx' -o -name '*.h' \
      -o -name '*.hh' -o -name '*.hpp' -o -name '*.hxx' -o -name '*.inl' \) -print | sed 's|^\./||'
  fi
}

mapfile -t all < <(list_sources | sort)
mapfile -t tests < <(printf '%s\n' "${all[@]}" | grep '^tests/' || true)

total=$(non_blank "${all[@]}")
in_tests=$(non_blank "${tests[@]}")
if ((total == 0)); then
  echo "test share: no C/C++ files"
  exit 0
fi
share=$(awk -v t="$in_tests" -v a="$total" 'BEGIN { printf "%.1f", 100 * t / a }')
echo "test share: ${share}% (${in_tests} of ${total} non-blank C/C++ lines are in tests/)"

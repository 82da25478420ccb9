#!/usr/bin/env bash
# wheel_test.sh <driver module>: run by tools/test.sh after the Linux build's
# tests. Builds the Python package's wheel offline (Debian's python3-build and
# setuptools, no index), installs it with Debian's pip into a fresh virtual
# environment of another interpreter than Debian's where the machine has one
# (pyenv's), else of Debian's python3, and runs the package's tests there
# against the given driver module (KORVANE_LIBRARY).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
module=$(realpath "${1:?usage: wheel_test.sh <driver module>}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The build writes beside its sources: it works on a copy.
mkdir "$work/src"
cp -r "$root/pyproject.toml" "$root/README.md" "$root/python" "$work/src/"
/usr/bin/python3 -m build --no-isolation --wheel --outdir "$work/dist" "$work/src" \
  >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
wheel=$(echo "$work"/dist/korvane-*-py3-none-any.whl)
[[ -f $wheel ]] || { echo "no pure-Python wheel in $work/dist" >&2; exit 1; }

# Of Debian's minor version, so that Debian's pytest runs in it.
interpreter=/usr/bin/python3
minor=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
for candidate in "${PYENV_ROOT:-$HOME/.pyenv}/versions/$minor".*/bin/python3; do
  [[ -x $candidate ]] && interpreter=$candidate
done
echo "venv of $interpreter ($("$interpreter" --version))"
# Debian's pip installs into the venv (a venv's own pip would take 20 s to set up).
"$interpreter" -m venv --without-pip "$work/venv"
/usr/bin/python3 -m pip --python "$work/venv/bin/python" install --quiet --no-index --no-deps \
  "$wheel"
# pytest is Debian's (pure Python), after the venv's own packages.
site=$("$work/venv/bin/python" -c 'import sysconfig; print(sysconfig.get_paths()["purelib"])')
pytest_dir=$(/usr/bin/python3 -c 'import os, pytest; print(os.path.dirname(os.path.dirname(pytest.__file__)))')
echo "$pytest_dir" >"$site/zz_debian_pytest.pth"

cd "$work"
"$work/venv/bin/python" -c 'import korvane, sys
assert korvane.__file__.startswith(sys.prefix), korvane.__file__
print("korvane from", korvane.__file__)'
# The tests' chassis is the virtual one, turned on as the suite's other tests do.
KORVANE_LIBRARY=$module PYTHONDONTWRITEBYTECODE=1 KORVANE_VIRTUAL_CHASSIS=1 XDG_RUNTIME_DIR=$work \
  "$work/venv/bin/python" -m pytest -q -p no:cacheprovider "$root/tests/python"

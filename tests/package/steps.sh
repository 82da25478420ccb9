# Sourced by the package tests: how a step is announced, a failure ends the
# test and a command's output is shown only when it fails. The sourcing script
# sets test_name and work (its scratch folder) first.

fail() {
  echo "$test_name: $*" >&2
  exit 1
}
step() { echo "--- $*"; }
# run_logged <what> <command...>: runs the command, showing its output only when it fails.
run_logged() {
  local what=$1
  shift
  "$@" >"$work/step.log" 2>&1 || { cat "$work/step.log"; fail "$what failed"; }
}

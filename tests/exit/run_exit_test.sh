#!/usr/bin/env bash
# run_exit_test.sh RUNS LIMIT COMMAND...: starts COMMAND RUNS times in a row. Each run must
# exit with status 0; a run still going after LIMIT seconds is a process that does not end (a
# hang at exit, as a test station would meet it): it is killed and the test fails. The limit is
# a watchdog, far above a run's normal time, not a measure of speed.
set -uo pipefail

runs=$1 limit=$2
shift 2
# A failed run's output is shown: the client's first and last lines say whether main started and
# returned (a failure after it happened as the process ended) and what it returned.
for ((run = 1; run <= runs; run++)); do
  output=$(timeout --kill-after=5 "$limit" "$@" 2>&1)
  status=$?
  if ((status == 124 || status == 137)); then
    printf 'run %d of %d did not end within %ss and was killed: %s\n%s\n' \
      "$run" "$runs" "$limit" "$*" "$output" >&2
    exit 1
  elif ((status != 0)); then
    printf 'run %d of %d failed with exit status %d: %s\nits output:\n%s\n' \
      "$run" "$runs" "$status" "$*" "${output:-(none: the client printed nothing)}" >&2
    exit 1
  fi
done
echo "$runs runs in a row ended: $*"

#!/usr/bin/env bash
# run_exit_test.sh RUNS LIMIT COMMAND...: starts COMMAND RUNS times in a row. Each run must
# exit with status 0; a run still going after LIMIT seconds is a process that does not end (a
# hang at exit, as a test station would meet it): it is killed and the test fails. The limit is
# a watchdog, far above a run's normal time, not a measure of speed.
set -uo pipefail

runs=$1 limit=$2
shift 2
for ((run = 1; run <= runs; run++)); do
  timeout --kill-after=5 "$limit" "$@"
  status=$?
  if ((status == 124 || status == 137)); then
    echo "run $run of $runs did not end within ${limit}s and was killed: $*" >&2
    exit 1
  elif ((status != 0)); then
    echo "run $run of $runs failed with exit status $status: $*" >&2
    exit 1
  fi
done
echo "$runs runs in a row ended: $*"

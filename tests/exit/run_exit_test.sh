#!/usr/bin/env bash
# run_exit_test.sh [--loader] RUNS LIMIT COMMAND...: starts COMMAND RUNS times in a row. Each run
# must exit with status 0; a run still going after LIMIT seconds is a process that does not end
# (a hang at exit, as a test station would meet it): it is killed and the test fails. The limit
# is a watchdog, far above a run's normal time, not a measure of speed.
#
# A failed run's output is shown: the client's first and last lines say whether main started and
# returned (a failure after it happened as the process ended) and what it returned. With
# --loader the client loads the driver only inside main, so a run that failed before main
# started never reached the driver: it is reported and started again, once per run and at most
# twice per test (Wine, on a loaded machine, now and then fails to start a process).
set -uo pipefail

retries=0
if [[ ${1:-} == --loader ]]; then
  retries=2
  shift
fi
runs=$1 limit=$2
shift 2
for ((run = 1; run <= runs; run++)); do
  for attempt in 1 2; do
    output=$(timeout --kill-after=5 "$limit" "$@" 2>&1)
    status=$?
    if ((status == 0 || status == 124 || status == 137 || attempt == 2 || retries == 0)) ||
      [[ $output == *"main starts"* ]]; then
      break
    fi
    ((retries--))
    printf 'run %d of %d ended with exit status %d before main started (output: %s); again\n' \
      "$run" "$runs" "$status" "${output:-none}"
  done
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

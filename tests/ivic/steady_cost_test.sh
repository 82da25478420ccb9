#!/usr/bin/env bash
# steady_cost_test.sh WINESERVER WINE PROGRAM: runs steady_client under Wine with a server that
# traces every request, and fails if the thread that makes the C calls sends any request to the
# Wine server between the client's two marks. A request (a registry look-up, a wait) costs a
# round trip to another process, whose time depends on the machine's load: a C call makes none.
# The prefix's server is replaced by the tracing one for the run, then started again as before.
set -uo pipefail

wineserver=$1
shift
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$wineserver" -k 2>/dev/null
"$wineserver" -p60 -d1 </dev/null >/dev/null 2>"$log" # detaches once it serves
"$@"
status=$?
"$wineserver" -k 2>/dev/null
"$wineserver" -p60 </dev/null >/dev/null 2>&1
trace=$(<"$log")
if ((status != 0)); then
  echo "steady_client failed with exit status $status" >&2
  exit 1
fi
start=$(grep -m1 'korvane-steady-start' <<<"$trace")
if [[ -z $start || $trace != *korvane-steady-end* ]]; then
  echo "the marks are not in the server trace" >&2
  exit 1
fi
thread=${start%%:*}
requests=$(awk -v t="$thread:" '/korvane-steady-start/ { on = 1; next }
  /korvane-steady-end/ { on = 0 } on && index($0, t) == 1 && $2 ~ /^[a-z_]+\($/' <<<"$trace")
if [[ -n $requests ]]; then
  echo "C calls sent $(wc -l <<<"$requests") requests to the Wine server; the first:" >&2
  head -n 5 <<<"$requests" >&2
  exit 1
fi
echo "200 C calls, no request to the Wine server"

// The exit statuses of korvane, distinct per kind of outcome so that scripts
// and cron jobs can tell them apart.
#pragma once

namespace korvane::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitDriverError = 1,  // the driver refused a call; its message is printed
  kExitUsage = 2,        // the command line is wrong
  kExitAlarm = 3,        // status --check: an alarm is set; selftest: the self test failed
  kExitBadInput = 4,     // a file given to the command is missing or malformed
};

}  // namespace korvane::cli

// `korvane serve` where cpp-httplib is not at hand (the Windows cross build:
// Debian builds the library for Linux only): korvane says so and what else
// serves the same metrics.
#include <cstdio>

#include "tools/korvane/exit_codes.h"
#include "tools/korvane/exporter_commands.h"

namespace korvane::cli {

int Serve(const ServeSettings&) {
  std::fprintf(stderr,
               "korvane: this build has no exporter (it was built without cpp-httplib); run "
               "`korvane status --format prometheus --output FILE` from a scheduled task, or "
               "`korvane serve` on Linux\n");
  return kExitUsage;
}

}  // namespace korvane::cli

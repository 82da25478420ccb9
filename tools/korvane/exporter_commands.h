// The subcommands that feed Prometheus: `korvane serve`, an exporter over HTTP,
// and `korvane status --format prometheus --output FILE`, a file for
// node_exporter's textfile collector. Both return the process's exit code.
#pragma once

#include <string>
#include <vector>

#include "tools/korvane/commands.h"

namespace korvane::cli {

struct ServeSettings {
  std::vector<Target> chassis;     // one per --resource, in order
  std::vector<std::string> names;  // --name, paired with the chassis by position
  std::string listen = "127.0.0.1:9730";
  double minIntervalSeconds = 2.0;  // readings of one chassis are at least this far apart
  int threads = 4;                  // requests served at the same time
};

int Serve(const ServeSettings& settings);

// Reads the chassis and writes the exposition to path atomically, or to
// stdout when path is empty; a chassis that cannot be read still gives
// korvane_up 0 (and exits 1). name labels the chassis (empty: its serial
// number). With check, an alarm set exits 3.
int StatusPrometheus(const Target& target, const std::string& name, const std::string& path,
                     bool check);

}  // namespace korvane::cli

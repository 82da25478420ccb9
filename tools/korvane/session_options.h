// The option string korvane passes to the driver: the user's own option text
// with what the command-line switches add to it.
#pragma once

#include <string>

namespace korvane::cli {

struct SessionSwitches {
  std::string options;    // --options, as the user wrote it
  bool simulate = false;  // --simulate
  std::string trace;      // --trace FILE; empty for none
};

// Simulate=true goes in front of the user's options; the trace items join the
// DriverSetup tail, which must stay the last option (a tail the user wrote is
// extended, otherwise one is added).
std::string ComposeOptions(const SessionSwitches& switches);

}  // namespace korvane::cli

// Why a session could not be opened, in the chassis access library's own
// words. The driver turns every failed open of the chassis into one fixed
// message; the library itself can say more (no chassis at that resource, how
// to use the virtual chassis, the scenario file's error), so korvane asks it.
#pragma once

#include <optional>
#include <string>

#include "tools/korvane/chassis_access.h"

namespace korvane::cli {

struct OpenFailure {
  std::string reason;  // the library's description of why it cannot open the resource
  int exit_code;       // kExitBadInput for a scenario file in error, else kExitDriverError
};

// For a failed Korvane_InitWithOptions on `resource`: opens the resource
// through the chassis access library and, when that fails too, returns the
// library's description of its status. Nothing for any other failure.
std::optional<OpenFailure> ExplainOpenFailure(const DriverError& error,
                                              const std::string& resource);

// Why the virtual chassis's scenario file cannot be used now, in the library's
// words ("scenario s.txt:3: ..."), if it cannot: a scenario file that was
// edited into one with an error fails the readings of a session that was
// already open, and their messages are too long to show it on a terminal.
std::optional<std::string> ScenarioFailure(const std::string& resource);

}  // namespace korvane::cli

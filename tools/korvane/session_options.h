// The option string korvane passes to the driver: the user's own option text
// with what the command-line switches add to it.
#pragma once

#include <string>
#include <vector>

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

// The six option names the driver knows, in the spelling of its documentation.
inline constexpr const char* kKnownOptions[] = {
    "Cache", "InterchangeCheck", "QueryInstrStatus", "RangeCheck", "RecordCoercions", "Simulate"};

// The names in an option string (the part before its DriverSetup tail) that
// are none of the known ones: the driver accepts and ignores them, so a typo
// ("Simlate=true") would otherwise go unnoticed.
std::vector<std::string> UnknownOptionNames(const std::string& options);

}  // namespace korvane::cli

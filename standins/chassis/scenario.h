// Scenarios: a text file, named by the environment variable
// KORVANE_CHASSIS_SCENARIO, that sets up the virtual chassis as it powers on
// (at the first use in a process, at every Reset and whenever the file's text
// changes while the process runs: scenario_file.h), so that a program can be
// rehearsed against an overheating or failing chassis without hardware. The
// format is described in the repository's README.md under "Chassis scenarios".
#pragma once

#include <stdexcept>
#include <string>

namespace korvane::virtual_chassis {

struct ChassisState;

// A scenario text that does not follow the format.
class ScenarioError : public std::runtime_error {
 public:
  ScenarioError(int line, const std::string& reason);
  int line() const { return line_; }

 private:
  int line_;
};

// Applies a scenario text to the chassis: all of it, or (on ScenarioError) none of it.
void ApplyScenarioText(const std::string& text, ChassisState& chassis);

}  // namespace korvane::virtual_chassis

// Scenarios: a text file, named by the environment variable
// KORVANE_CHASSIS_SCENARIO, that sets up the virtual chassis as it powers on
// (at the first use in a process and at every Reset), so that a program can be
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

// Applies the scenario file at path ("": none). A file that is not a regular
// file, is too large, cannot be read or has an error is not applied at all;
// the result then says why, naming the file (and line), and is "" otherwise.
std::string ApplyScenarioFile(const std::string& path, ChassisState& chassis);

}  // namespace korvane::virtual_chassis

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

inline constexpr char kScenarioVariable[] = "KORVANE_CHASSIS_SCENARIO";

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

// Applies the file named by KORVANE_CHASSIS_SCENARIO when it is set. A file
// that cannot be read or is malformed is reported on stderr, naming the file
// and line, and the chassis keeps its power-on state.
void ApplyScenarioFromEnvironment(ChassisState& chassis);

}  // namespace korvane::virtual_chassis

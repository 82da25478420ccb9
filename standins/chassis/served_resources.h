// Which resources the virtual chassis answers, read from the environment
// (virtual_chassis_switch.h), and what it says to a resource it does not serve.
#pragma once

#include <string>
#include <vector>

namespace korvane::virtual_chassis {

struct ServedResources {
  std::vector<std::string> resources;  // empty: the virtual chassis is off
  std::string scenario;                // the scenario file's path, if one is named

  // From KORVANE_VIRTUAL_CHASSIS and KORVANE_CHASSIS_SCENARIO as they are now.
  static ServedResources FromEnvironment();
  // From the two variables' values ("" when unset).
  static ServedResources From(const std::string& switch_value, const std::string& scenario);

  bool On() const { return !resources.empty(); }
  // Resource names compare without regard to letter case, as the I/O layer's do.
  bool Serves(const std::string& resource) const;
  // Why no chassis answered at a resource that is not served.
  std::string NoChassisText(const std::string& resource) const;
};

}  // namespace korvane::virtual_chassis

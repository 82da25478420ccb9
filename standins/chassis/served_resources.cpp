#include "standins/chassis/served_resources.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "standins/chassis/environment.h"
#include "standins/chassis/virtual_chassis_switch.h"

namespace korvane::virtual_chassis {
namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

ServedResources ServedResources::FromEnvironment() {
  return From(EnvironmentVariable(kSwitchVariable), EnvironmentVariable(kScenarioVariable));
}

ServedResources ServedResources::From(const std::string& switch_value,
                                      const std::string& scenario) {
  ServedResources served;
  served.scenario = scenario;
  const std::string value = Trim(switch_value);
  if (value == "1" || (value.empty() && !scenario.empty())) {
    served.resources = {kDefaultResource};
  } else if (value != "0") {
    std::istringstream items(value);
    for (std::string item; std::getline(items, item, ',');) {
      if (!Trim(item).empty()) served.resources.push_back(Trim(item));
    }
  }
  return served;
}

bool ServedResources::Serves(const std::string& resource) const {
  return std::any_of(resources.begin(), resources.end(),
                     [&](const std::string& served) { return SameName(served, resource); });
}

std::string ServedResources::NoChassisText(const std::string& resource) const {
  const std::string start = "No chassis answered at " + resource + ". ";
  if (!On()) {
    return start + "The virtual chassis is off: to rehearse without hardware, set " +
           kSwitchVariable + "=1 (or the resources to serve, comma-separated) or name a " +
           "scenario file in " + kScenarioVariable + ".";
  }
  return start + "The virtual chassis serves only " + Listed(resources) + "; add " + resource +
         " to " + kSwitchVariable + " to serve it too.";
}

}  // namespace korvane::virtual_chassis

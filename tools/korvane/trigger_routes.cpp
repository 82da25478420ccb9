#include "tools/korvane/trigger_routes.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace korvane::cli {
namespace {

constexpr const char* kPrefix = "KorvaneTrigBus";

struct Route {
  const char* suffix;
  const char* meaning;
};

// Indexed by the routing value.
constexpr std::array<Route, kRoutings> kRoutes{{
    {"IsolateAll", "all three segments isolated"},
    {"1To2", "bus 1 drives bus 2"},
    {"1To2To3", "bus 1 drives bus 2, bus 2 drives bus 3"},
    {"2To1", "bus 2 drives bus 1"},
    {"2To3", "bus 2 drives bus 3"},
    {"2To1And3", "bus 2 drives buses 1 and 3"},
    {"3To2", "bus 3 drives bus 2"},
    {"3To2To1", "bus 3 drives bus 2, bus 2 drives bus 1"},
}};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::string RoutingName(int32_t routing) {
  if (routing < 0 || routing >= kRoutings) return "";
  return std::string(kPrefix) + kRoutes[routing].suffix;
}

const char* RoutingMeaning(int32_t routing) {
  if (routing < 0 || routing >= kRoutings) return "unknown routing";
  return kRoutes[routing].meaning;
}

std::optional<int32_t> ParseRouting(const std::string& name) {
  const std::string wanted = Lower(name);
  for (int32_t routing = 0; routing < kRoutings; ++routing) {
    const std::string suffix = Lower(kRoutes[routing].suffix);
    if (wanted == suffix || wanted == Lower(kPrefix) + suffix) return routing;
  }
  return std::nullopt;
}

std::optional<int32_t> ParseTriggerLine(const std::string& text) {
  std::string digits = Lower(text);
  if (digits.rfind("pxi_trig", 0) == 0) digits.erase(0, 8);
  if (digits.size() != 1 || digits[0] < '0' || digits[0] >= '0' + kTriggerLines)
    return std::nullopt;
  return digits[0] - '0';
}

}  // namespace korvane::cli

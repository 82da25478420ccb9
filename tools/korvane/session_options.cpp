#include "tools/korvane/session_options.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace korvane::cli {
namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool HasDriverSetup(const std::string& text) {
  return Upper(text).find("DRIVERSETUP") != std::string::npos;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

void Join(std::string& text, const std::string& item, const char* separator) {
  if (!text.empty()) text += separator;
  text += item;
}

}  // namespace

std::vector<std::string> UnknownOptionNames(const std::string& options) {
  // The options end where the DriverSetup tail begins (its keyword anywhere).
  const std::string upper = Upper(options);
  auto end = upper.find("DRIVERSETUP=");
  if (end == std::string::npos) end = upper.find("DRIVERSETUP ");
  const std::string part = options.substr(0, end);
  std::vector<std::string> unknown;
  size_t start = 0;
  while (start <= part.size()) {
    const auto comma = std::min(part.find(',', start), part.size());
    const std::string item = part.substr(start, comma - start);
    start = comma + 1;
    const auto equals = item.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = Trim(item.substr(0, equals));
    if (name.empty()) continue;
    const bool known =
        std::any_of(std::begin(kKnownOptions), std::end(kKnownOptions),
                    [&](const char* option) { return Upper(option) == Upper(name); });
    if (!known) unknown.push_back(name);
  }
  return unknown;
}

std::string ComposeOptions(const SessionSwitches& switches) {
  std::string options = switches.simulate ? "Simulate=true" : "";
  Join(options, switches.options, ", ");
  if (switches.trace.empty()) return options;
  const std::string items = "Trace=true, TraceName=" + switches.trace;
  if (HasDriverSetup(switches.options)) {
    // An empty tail ("DriverSetup=") takes the items without a separator.
    Join(options, items, options.ends_with('=') ? "" : ", ");
  } else {
    Join(options, "DriverSetup=" + items, ", ");
  }
  return options;
}

}  // namespace korvane::cli

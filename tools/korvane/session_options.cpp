#include "tools/korvane/session_options.h"

#include <algorithm>
#include <cctype>

namespace korvane::cli {
namespace {

bool HasDriverSetup(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text.find("DRIVERSETUP") != std::string::npos;
}

void Join(std::string& text, const std::string& item, const char* separator) {
  if (!text.empty()) text += separator;
  text += item;
}

}  // namespace

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

#include "tools/korvane/chassis_access.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace korvane::cli {

DriverError::DriverError(int32_t status, std::string operation, std::string call,
                         std::string description)
    : std::runtime_error(operation + " failed"),
      status_(status),
      operation_(std::move(operation)),
      call_(std::move(call)),
      description_(std::move(description)) {}

std::string Describe(const DriverError& error) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(error.status()));
  std::string text = error.operation() + " failed (" + code + ")";
  if (!error.description().empty()) text += ": " + error.description();
  text += " [" + error.call() + "]";
  // One line: the driver puts the failing method on a line of its own.
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

}  // namespace korvane::cli

#include "tools/korvane/chassis_access.h"

#include <utility>

namespace korvane::cli {

DriverError::DriverError(int32_t status, std::string call, std::string description)
    : std::runtime_error(call + " failed"),
      status_(status),
      call_(std::move(call)),
      description_(std::move(description)) {}

}  // namespace korvane::cli

// Process environment variables as UTF-16 texts, the same on every system.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_ENVIRONMENT_H
#define KORVANE_PLATFORM_IVI_CONFIG_ENVIRONMENT_H

#include <optional>

#include "platform/ole_string.h"

namespace korvane::ivi_config {

// The variable's value, or nothing when it is not set. Throws std::bad_alloc.
std::optional<OleString> ReadEnvironment(const char* name);
// Sets the variable for this process (and the modules loaded into it); a null value removes it.
// Returns false when the system refuses.
bool WriteEnvironment(const char* name, const OLECHAR* value);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_ENVIRONMENT_H

// The process's environment variables as the stand-in reads them: on Windows
// from the process's environment block (where SetEnvironmentVariable writes,
// which the C runtime's copy does not follow), elsewhere from the C runtime's.
#pragma once

#include <string>

namespace korvane::virtual_chassis {

// The variable's value; "" when it is not set.
std::string EnvironmentVariable(const char* name);

}  // namespace korvane::virtual_chassis

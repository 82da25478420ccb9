// The process's own environment, as korvane changes it for the driver it loads.
#pragma once

namespace korvane::cli {

// Sets the variable for this process and what it loads, unless it is set already.
void SetEnvironmentDefault(const char* name, const char* value);

}  // namespace korvane::cli

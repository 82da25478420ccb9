#include <cstdlib>

#include "tools/korvane/environment.h"

namespace korvane::cli {

void SetEnvironmentDefault(const char* name, const char* value) {
  setenv(name, value, 0);
}

}  // namespace korvane::cli

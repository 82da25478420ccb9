#include <cstdlib>

#include "tools/korvane/environment.h"

namespace korvane::cli {

// The C runtime's copy, which the libraries korvane loads read with getenv.
void SetEnvironmentDefault(const char* name, const char* value) {
  if (std::getenv(name) == nullptr) _putenv_s(name, value);
}

}  // namespace korvane::cli

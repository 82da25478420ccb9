#include "standins/chassis/environment.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace korvane::virtual_chassis {

#if defined(_WIN32)

std::string EnvironmentVariable(const char* name) {
  std::string value(64, '\0');
  for (;;) {
    const DWORD length =
        GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (length < value.size()) {
      value.resize(length);  // 0 when not set
      return value;
    }
    value.resize(length);  // the size needed, terminator included
  }
}

#else

std::string EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

#endif

}  // namespace korvane::virtual_chassis

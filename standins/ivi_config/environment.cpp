#include "standins/ivi_config/environment.h"

#include "standins/ivi_config/com_text.h"

#ifndef _WIN32
#include <stdlib.h>
#endif

namespace korvane::ivi_config {

#ifdef _WIN32

std::optional<OleString> ReadEnvironment(const char* name) {
  const OleString wideName = Utf8ToOle(name);
  OleString value(64, OLECHAR{});
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return OleString();
    }
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);  // the size needed, terminator included
  }
}

bool WriteEnvironment(const char* name, const OLECHAR* value) {
  return SetEnvironmentVariableW(Utf8ToOle(name).c_str(), value) != FALSE;
}

#else

std::optional<OleString> ReadEnvironment(const char* name) {
  const char* value = getenv(name);
  if (value == nullptr) return std::nullopt;
  return Utf8ToOle(value);
}

bool WriteEnvironment(const char* name, const OLECHAR* value) {
  if (value == nullptr) return unsetenv(name) == 0;
  return setenv(name, OleToUtf8(OleView(value)).c_str(), 1) == 0;
}

#endif

}  // namespace korvane::ivi_config

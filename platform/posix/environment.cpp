// Environment variables, read and set as UTF-16 over the UTF-8 environment.
#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/detail/paths.h"
#include "platform/posix/detail/utf.h"

using korvane::platform::Utf8Of;

extern "C" DWORD GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize) {
  const std::string name = Utf8Of(lpName);
  const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
  if (value == nullptr) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return korvane::platform::CopyToWideBuffer(korvane::platform::Utf8ToUtf16(value), lpBuffer,
                                             nSize);
}

extern "C" BOOL SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue) {
  const std::string name = Utf8Of(lpName);
  if (name.empty() || name.find('=') != std::string::npos) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int result = lpValue == nullptr ? ::unsetenv(name.c_str())
                                        : ::setenv(name.c_str(), Utf8Of(lpValue).c_str(), 1);
  if (result != 0) {
    korvane::platform::SetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

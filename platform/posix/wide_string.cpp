// Kernel helpers on wide strings.
#include <string>

#include "platform/posix/winbase.h"

extern "C" int lstrlenW(LPCWSTR lpString) {
  return lpString == nullptr ? 0 : static_cast<int>(std::char_traits<WCHAR>::length(lpString));
}

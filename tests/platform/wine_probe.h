// Whether the tests run under Wine, for the few behaviours of Windows that
// Wine does not reproduce. Wine's ntdll exports wine_get_version; Windows'
// does not, and on Linux there is no ntdll at all.
#pragma once

#include "platform/win32.h"

namespace korvane::test {

inline bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(OLESTR("ntdll.dll"));
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace korvane::test

// Whether the tests run under Wine, for the few behaviours of Windows that
// Wine does not reproduce. Wine's ntdll exports wine_get_version; Windows'
// does not, and on Linux there is no ntdll at all.
#pragma once

#include "platform/win32.h"

namespace korvane::test {

// Whether the system's own COM services run the tests (Windows, or Wine), rather than this
// project's Linux layer: no ntdll.dll on Linux.
inline bool RunningOnWindows() {
  return GetModuleHandleW(OLESTR("ntdll.dll")) != nullptr;
}

inline bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(OLESTR("ntdll.dll"));
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace korvane::test

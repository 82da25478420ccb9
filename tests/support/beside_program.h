#pragma once
// Files built next to the test program: modules, helper programs.

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane::testing {

// The full path of a file in the running program's folder.
inline OleString BesideProgram(const char* fileName) {
  OLECHAR path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const OleString full(path, length);
  return full.substr(0, full.find_last_of(OLESTR("/\\")) + 1) + AnsiToOle(fileName);
}

}  // namespace korvane::testing

// Running the platform tests' second process (test_server/test_child.cpp),
// which lies next to the test program, as does the test server module.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane::test {

// The folder of the running program, with its trailing separator.
inline OleString ProgramFolder() {
  OLECHAR path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const OleString full(path, length);
  const std::size_t separator = full.find_last_of(OLESTR("/\\"));
  return full.substr(0, separator + 1);
}

// The full path of a file built next to the program.
inline OleString BesideProgram(const char* fileName) {
  return ProgramFolder() + AnsiToOle(fileName);
}

// Runs the child with the arguments (no spaces in paths or arguments, so no
// quoting is needed by either command shell); returns the shell's status,
// which is 0 exactly when the child exited with 0.
inline int RunChild(const std::string& arguments) {
  const std::string command = OleToAnsi(BesideProgram(KORVANE_TEST_CHILD_FILE)) + " " + arguments;
  return std::system(command.c_str());
}

}  // namespace korvane::test

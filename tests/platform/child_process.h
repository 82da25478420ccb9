// Running the platform tests' second process (test_server/test_child.cpp),
// which lies next to the test program, as does the test server module.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"
#include "tests/support/beside_program.h"

namespace korvane::test {

using korvane::testing::BesideProgram;

// Runs the child with the arguments (no spaces in paths or arguments, so no
// quoting is needed by either command shell); returns the shell's status,
// which is 0 exactly when the child exited with 0.
inline int RunChild(const std::string& arguments) {
  const std::string command = OleToAnsi(BesideProgram(KORVANE_TEST_CHILD_FILE)) + " " + arguments;
  return std::system(command.c_str());
}

}  // namespace korvane::test

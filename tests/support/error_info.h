#pragma once
// The calling thread's COM error information, set and read back as plain
// values.

#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane::testing {

// The thread's error information; present is false when there is none.
struct ErrorRecord {
  bool present = false;
  GUID interfaceId{};
  OleString source;
  OleString description;
  OleString helpFile;
  DWORD helpContext = 0;
};

// Takes (and so clears) the thread's error information.
ErrorRecord TakeErrorInfo();

// The same with its texts in the ANSI code page, for comparison with narrow
// literals.
struct ErrorText {
  bool present = false;
  GUID interfaceId{};
  std::string source;
  std::string description;
  std::string helpFile;
  DWORD helpContext = 0;
};
ErrorText TakeErrorText();

// Takes the thread's error information and returns its description in the
// ANSI code page; "(none)" when there is none.
std::string TakeErrorDescription();

// Sets the thread's error information to a new object with this description.
void SetThreadError(const OleString& description);

}  // namespace korvane::testing

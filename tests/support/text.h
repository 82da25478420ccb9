#pragma once
// Texts between the COM face's UTF-16 and the tests' narrow strings. Narrow
// and Wide convert through the ANSI code page, as the driver does (UTF-8 on
// Linux); Utf8 and Utf16 always through UTF-8.

#include <string>
#include <string_view>

#include "platform/ole_string.h"

namespace korvane::testing {

inline std::string Narrow(OleStringView text) {
  return OleToAnsi(text);
}

inline OleString Wide(std::string_view text) {
  return AnsiToOle(text);
}

std::string Utf8(OleStringView text);
OleString Utf16(std::string_view text);

}  // namespace korvane::testing

#pragma once
// A file's bytes, read through the same Windows services the driver uses and
// opened shared, so that a file another handle still writes can be read.

#include <string>

#include "platform/ole_string.h"

namespace korvane::testing {

// The file's bytes; empty when it cannot be opened.
std::string ReadWholeFile(const OleString& path);

}  // namespace korvane::testing

// `korvane config check [FILE]`: validates an IVI configuration store file.
#pragma once

#include <string>

namespace korvane::cli {

// Checks the store file at path (empty: the file the driver would read, named
// by KORVANE_IVI_CONFIG or else the user's store). Prints the first error as
// "korvane: FILE:LINE: reason" on stderr, or a summary of the sessions and
// logical names on stdout (with json, a JSON document on stdout either way);
// returns the exit code.
int ConfigCheck(const std::string& path, bool json);

}  // namespace korvane::cli

// Path helpers shared by the file, path and module functions.
#pragma once

#include <string>

#include "platform/posix/winbase.h"

namespace korvane::platform {

// The folder of the running executable, without trailing '/'.
std::string ExecutableDirectory();

// The full path of the running executable.
std::string ExecutablePath();

// Copies text and its terminator into a caller's buffer of `capacity` WCHARs
// with the Windows convention: the length without terminator when it fits,
// otherwise the needed size with terminator and nothing written.
DWORD CopyToWideBuffer(const std::u16string& text, LPWSTR buffer, DWORD capacity);

// The Win32 error for a failed open/stat of path: ERROR_PATH_NOT_FOUND when a
// folder on the way is missing, otherwise the mapping of errno.
DWORD Win32ErrorForPath(const std::string& path, int error);

}  // namespace korvane::platform

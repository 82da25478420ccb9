// Share modes of open files, enforced across handles and processes as on Windows: an open fails
// with ERROR_SHARING_VIOLATION when it asks for access that an earlier open of the file does not
// share, or refuses to share access that an earlier open holds.
#pragma once

#include "platform/posix/winbase.h"

namespace korvane::platform {

// Reading and writing (FILE_APPEND_DATA counts as writing, as on Windows).
bool ReadsFile(DWORD access);
bool WritesFile(DWORD access);

// Takes the file's share locks for an open with `access` and `shareMode` through `lockDescriptor`,
// a descriptor of the file open for reading that the handle keeps until it closes (closing it
// drops the locks). Returns ERROR_SUCCESS, or ERROR_SHARING_VIOLATION with no lock taken.
DWORD TakeShareLocks(int lockDescriptor, DWORD access, DWORD shareMode);

}  // namespace korvane::platform

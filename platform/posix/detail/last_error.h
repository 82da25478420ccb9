// Setting the thread's last-error value from inside the platform layer.
#pragma once

#include "platform/posix/winbase.h"

namespace korvane::platform {

// The Win32 error code that corresponds to a POSIX errno value.
DWORD Win32ErrorFromErrno(int error);

// Stores the Win32 form of errno as the last error and returns it.
DWORD SetLastErrorFromErrno();

}  // namespace korvane::platform

// The thread's last-error value and the mapping of POSIX errors onto it.
#include <cerrno>

#include "platform/posix/detail/last_error.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

extern "C" DWORD GetLastError() {
  return t_lastError;
}

extern "C" void SetLastError(DWORD dwErrCode) {
  t_lastError = dwErrCode;
}

namespace korvane::platform {

DWORD Win32ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOSPC:
      return ERROR_DISK_FULL;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EFAULT:
      return ERROR_NOACCESS;
    case ENOSYS:
      return ERROR_CALL_NOT_IMPLEMENTED;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

DWORD SetLastErrorFromErrno() {
  const DWORD error = Win32ErrorFromErrno(errno);
  SetLastError(error);
  return error;
}

}  // namespace korvane::platform

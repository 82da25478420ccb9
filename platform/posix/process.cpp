// The calling process's pseudo handle and its immediate end.
#include <csignal>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/winbase.h"

namespace {
// Windows's value for the current process's pseudo handle.
HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}  // namespace

extern "C" HANDLE GetCurrentProcess() {
  return kCurrentProcess;
}

extern "C" BOOL TerminateProcess(HANDLE hProcess, UINT) {
  if (hProcess != kCurrentProcess) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::raise(SIGKILL);
  return FALSE;  // not reached
}

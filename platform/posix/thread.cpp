// Thread and process identity, sleeping and the per-thread locale.
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/posix/winbase.h"

namespace {

constexpr LCID kDefaultLocale = 0x0409;  // English (United States)
thread_local LCID t_locale = kDefaultLocale;

}  // namespace

extern "C" DWORD GetCurrentThreadId() {
  return static_cast<DWORD>(::syscall(SYS_gettid));
}

extern "C" DWORD GetCurrentProcessId() {
  return static_cast<DWORD>(::getpid());
}

extern "C" void Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
  }
}

extern "C" LCID GetUserDefaultLCID() {
  return kDefaultLocale;
}

extern "C" LCID GetSystemDefaultLCID() {
  return kDefaultLocale;
}

extern "C" LCID GetThreadLocale() {
  return t_locale;
}

// The default-locale aliases are stored as the locale they stand for, as
// Windows does.
extern "C" BOOL SetThreadLocale(LCID Locale) {
  if (Locale == LOCALE_SYSTEM_DEFAULT) {
    Locale = GetSystemDefaultLCID();
  } else if (Locale == LOCALE_USER_DEFAULT) {
    Locale = GetUserDefaultLCID();
  } else if ((Locale & 0x3FF) == LANG_NEUTRAL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  t_locale = Locale;
  return TRUE;
}

// Critical sections: a re-entrant mutex constructed in the caller's
// CRITICAL_SECTION storage.
#include <mutex>
#include <new>

#include "platform/posix/winbase.h"

namespace {

using Mutex = std::recursive_mutex;
static_assert(sizeof(Mutex) <= sizeof(CRITICAL_SECTION::opaque));
static_assert(alignof(Mutex) <= alignof(CRITICAL_SECTION));

Mutex& MutexOf(LPCRITICAL_SECTION section) {
  return *std::launder(reinterpret_cast<Mutex*>(section->opaque));
}

}  // namespace

extern "C" void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  new (lpCriticalSection->opaque) Mutex();
}

extern "C" BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD) {
  InitializeCriticalSection(lpCriticalSection);
  return TRUE;
}

extern "C" void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  MutexOf(lpCriticalSection).lock();
}

extern "C" BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  return MutexOf(lpCriticalSection).try_lock() ? TRUE : FALSE;
}

extern "C" void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  MutexOf(lpCriticalSection).unlock();
}

extern "C" void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  MutexOf(lpCriticalSection).~Mutex();
}

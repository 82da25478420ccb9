// Thread-local and fiber-local slots (TlsAlloc, FlsAlloc and friends) on POSIX thread-specific
// keys.
#include <pthread.h>

#include "platform/posix/winbase.h"

static_assert(sizeof(pthread_key_t) <= sizeof(DWORD));

extern "C" DWORD TlsAlloc() {
  pthread_key_t key;
  if (pthread_key_create(&key, nullptr) != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return TLS_OUT_OF_INDEXES;
  }
  return static_cast<DWORD>(key);
}

extern "C" BOOL TlsFree(DWORD dwTlsIndex) {
  if (pthread_key_delete(static_cast<pthread_key_t>(dwTlsIndex)) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

extern "C" LPVOID TlsGetValue(DWORD dwTlsIndex) {
  SetLastError(ERROR_SUCCESS);
  return pthread_getspecific(static_cast<pthread_key_t>(dwTlsIndex));
}

extern "C" BOOL TlsSetValue(DWORD dwTlsIndex, LPVOID lpTlsValue) {
  if (pthread_setspecific(static_cast<pthread_key_t>(dwTlsIndex), lpTlsValue) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

// A key's destructor is the slot's callback: POSIX calls it with a thread's non-null value when
// the thread ends, as the system calls a fiber-local callback.
extern "C" DWORD FlsAlloc(PFLS_CALLBACK_FUNCTION lpCallback) {
  pthread_key_t key;
  if (pthread_key_create(&key, lpCallback) != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FLS_OUT_OF_INDEXES;
  }
  return static_cast<DWORD>(key);
}

extern "C" PVOID FlsGetValue(DWORD dwFlsIndex) {
  return pthread_getspecific(static_cast<pthread_key_t>(dwFlsIndex));
}

extern "C" BOOL FlsSetValue(DWORD dwFlsIndex, PVOID lpFlsData) {
  if (pthread_setspecific(static_cast<pthread_key_t>(dwFlsIndex), lpFlsData) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

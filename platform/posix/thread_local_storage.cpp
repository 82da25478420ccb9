// Thread-local slots (TlsAlloc and friends) on POSIX thread-specific keys.
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

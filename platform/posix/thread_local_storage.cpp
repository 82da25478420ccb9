// Thread-local and fiber-local slots (TlsAlloc, FlsAlloc and friends) on POSIX thread-specific
// keys.
#include <pthread.h>

#include "platform/posix/winbase.h"

static_assert(sizeof(pthread_key_t) <= sizeof(DWORD));
static_assert(TLS_OUT_OF_INDEXES == FLS_OUT_OF_INDEXES);

namespace {

// A new key whose destructor receives a thread's non-null value when the thread ends, or
// TLS_OUT_OF_INDEXES.
DWORD NewKey(void (*destructor)(void*)) {
  pthread_key_t key;
  if (pthread_key_create(&key, destructor) != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return TLS_OUT_OF_INDEXES;
  }
  return static_cast<DWORD>(key);
}

BOOL SetKeyValue(DWORD index, void* value) {
  if (pthread_setspecific(static_cast<pthread_key_t>(index), value) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

}  // namespace

extern "C" DWORD TlsAlloc() {
  return NewKey(nullptr);
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
  return SetKeyValue(dwTlsIndex, lpTlsValue);
}

// The key's destructor is the slot's callback: the system too calls it with a thread's non-null
// value when the thread ends.
extern "C" DWORD FlsAlloc(PFLS_CALLBACK_FUNCTION lpCallback) {
  return NewKey(lpCallback);
}

extern "C" PVOID FlsGetValue(DWORD dwFlsIndex) {
  return pthread_getspecific(static_cast<pthread_key_t>(dwFlsIndex));
}

extern "C" BOOL FlsSetValue(DWORD dwFlsIndex, PVOID lpFlsData) {
  return SetKeyValue(dwFlsIndex, lpFlsData);
}

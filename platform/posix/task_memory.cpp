// Task memory: the allocator through which COM callers and callees hand over
// memory (ProgIDFromCLSID, StringFromCLSID).
#include <cstdlib>

#include "platform/posix/objbase.h"

extern "C" LPVOID CoTaskMemAlloc(SIZE_T cb) {
  return std::malloc(cb == 0 ? 1 : cb);
}

// As on Windows, a new size of 0 frees the block and returns null.
extern "C" LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb) {
  if (cb == 0 && pv != nullptr) {
    std::free(pv);
    return nullptr;
  }
  return std::realloc(pv, cb == 0 ? 1 : cb);
}

extern "C" void CoTaskMemFree(LPVOID pv) {
  std::free(pv);
}

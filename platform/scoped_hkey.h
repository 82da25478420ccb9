#pragma once
// An owned open registry key, closed when the holder ends. Traps: only a key
// that RegOpenKeyExW or RegCreateKeyExW wrote through Receive() belongs here,
// never a predefined root such as HKEY_CLASSES_ROOT (it is not opened and must
// not be closed); a copy would close the key twice.

#include <utility>

#include "platform/win32.h"

namespace korvane {

class ScopedHkey {
 public:
  ScopedHkey() = default;
  ~ScopedHkey() { Reset(); }
  ScopedHkey(const ScopedHkey&) = delete;
  ScopedHkey& operator=(const ScopedHkey&) = delete;

  // For the out parameter of an open or create: closes the key held, then
  // lends the slot.
  HKEY* Receive() {
    Reset();
    return &key_;
  }
  HKEY Get() const { return key_; }
  void Reset() {
    if (HKEY key = std::exchange(key_, nullptr)) RegCloseKey(key);
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace korvane

#pragma once
// An owned BSTR. Traps: a BSTR carries its length in front of the text, so
// only SysAllocString* may make one (never hand a literal where a BSTR is
// expected), and a null BSTR is a valid empty text.

#include <new>
#include <utility>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

class ScopedBstr {
 public:
  ScopedBstr() = default;
  // Copies the text; throws std::bad_alloc when the system has no memory.
  explicit ScopedBstr(const OLECHAR* text) : bstr_(SysAllocString(text)) {
    if (text && !bstr_) throw std::bad_alloc();
  }
  ScopedBstr(const OLECHAR* text, UINT length) : bstr_(SysAllocStringLen(text, length)) {
    if (!bstr_) throw std::bad_alloc();
  }
  ~ScopedBstr() { SysFreeString(bstr_); }
  ScopedBstr(ScopedBstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
  ScopedBstr& operator=(ScopedBstr&& other) noexcept {
    std::swap(bstr_, other.bstr_);
    return *this;
  }
  ScopedBstr(const ScopedBstr&) = delete;  // two owners would free it twice
  ScopedBstr& operator=(const ScopedBstr&) = delete;

  BSTR Get() const { return bstr_; }
  BSTR Release() { return std::exchange(bstr_, nullptr); }
  UINT Length() const { return SysStringLen(bstr_); }
  // Frees what is held and lends the slot to an out parameter.
  BSTR* Receive() {
    SysFreeString(std::exchange(bstr_, nullptr));
    return &bstr_;
  }

 private:
  BSTR bstr_ = nullptr;
};

// A new BSTR copy of a text, owned by the caller; throws std::bad_alloc.
inline BSTR AllocBstr(const OleString& text) {
  BSTR result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!result) throw std::bad_alloc();
  return result;
}

}  // namespace korvane

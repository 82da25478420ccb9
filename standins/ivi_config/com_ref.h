// ComRef<I>: one counted reference to a COM interface, released when the holder ends.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_COM_REF_H
#define KORVANE_PLATFORM_IVI_CONFIG_COM_REF_H

#include <utility>

#include "platform/win32.h"

template <class Interface>
class ComRef {
 public:
  ComRef() = default;
  // Takes over a reference the caller already owns.
  explicit ComRef(Interface* owned) : pointer_(owned) {}
  ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    Reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }
  // A copy would have to AddRef; moving says who owns the reference.
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { Reset(); }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For [out] parameters: releases the current reference and exposes the slot.
  Interface** Put() {
    Reset();
    return &pointer_;
  }
  // For QueryInterface-style [out] void** parameters.
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Reset(Interface* owned = nullptr) {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = owned;
  }
  // Gives the reference to the caller.
  Interface* Detach() { return std::exchange(pointer_, nullptr); }

  // Asks for another interface of the same object.
  template <class Other>
  HRESULT As(ComRef<Other>& other) const {
    return pointer_->QueryInterface(IidOf<Other>(), other.PutVoid());
  }

 private:
  Interface* pointer_ = nullptr;
};

#endif  // KORVANE_PLATFORM_IVI_CONFIG_COM_REF_H

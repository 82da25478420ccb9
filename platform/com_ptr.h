#pragma once
// A counted reference to a COM interface: AddRef on copy, Release on
// destruction. The trap it closes: a raw interface pointer returned by a
// getter already carries one reference, so take it with Attach (or through
// GetAddressOf), never by assignment from a raw pointer that would AddRef
// it a second time.

#include <utility>

#include "platform/win32.h"

namespace korvane {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to an existing pointer.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Adopts a pointer whose reference the caller hands over.
  static ComPtr Adopt(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }

  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* Detach() { return std::exchange(p_, nullptr); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out parameters: releases what is held, then lends the slot.
  T** GetAddressOf() {
    Reset();
    return &p_;
  }
  void** GetVoidAddressOf() { return reinterpret_cast<void**>(GetAddressOf()); }

  // Hands out a new reference through an out parameter.
  void CopyTo(T** out) const {
    if (p_) p_->AddRef();
    *out = p_;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace korvane

// A value per thread kept in one thread-local slot of the system, allocated on first use and
// released with the object (when the module unloads). A slot is read with one TlsGetValue,
// where a C++ thread_local costs a run-time lookup on every use in some toolchains' modules.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>

#include "platform/win32.h"

namespace korvane::ivic {

// T is kept in the slot's pointer value: a flag or a small number, T{} until the thread sets it.
template <class T>
class CThreadLocal {
  static_assert(std::is_integral_v<T> && sizeof(T) <= sizeof(void*));

 public:
  constexpr CThreadLocal() = default;
  ~CThreadLocal() {
    if (const DWORD slot = slot_.exchange(TLS_OUT_OF_INDEXES); slot != TLS_OUT_OF_INDEXES) {
      TlsFree(slot);
    }
  }
  CThreadLocal(const CThreadLocal&) = delete;
  CThreadLocal& operator=(const CThreadLocal&) = delete;

  // The calling thread's value; T{} while no slot could be allocated.
  T Get() const {
    const DWORD slot = slot_.load(std::memory_order_acquire);
    if (slot == TLS_OUT_OF_INDEXES) return T{};
    return static_cast<T>(reinterpret_cast<uintptr_t>(TlsGetValue(slot)));
  }

  // Sets the calling thread's value; false when no slot can be had.
  bool Set(T value) {
    const DWORD slot = Slot();
    return slot != TLS_OUT_OF_INDEXES &&
           TlsSetValue(slot, reinterpret_cast<void*>(static_cast<uintptr_t>(value))) != FALSE;
  }

 private:
  // The slot, allocated by the first thread that sets a value; of two threads allocating at
  // once, the one that loses gives its slot back.
  DWORD Slot() {
    DWORD slot = slot_.load(std::memory_order_acquire);
    if (slot != TLS_OUT_OF_INDEXES) return slot;
    const DWORD allocated = TlsAlloc();
    if (allocated == TLS_OUT_OF_INDEXES) return TLS_OUT_OF_INDEXES;
    if (slot_.compare_exchange_strong(slot, allocated, std::memory_order_acq_rel)) {
      return allocated;
    }
    TlsFree(allocated);
    return slot;
  }

  std::atomic<DWORD> slot_{TLS_OUT_OF_INDEXES};
};

}  // namespace korvane::ivic

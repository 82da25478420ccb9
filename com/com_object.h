#pragma once
// The COM object around a class T: counted references (interlocked, freed at
// zero) and QueryInterface over T's interface table (T::FindInterface). T
// leaves IUnknown's three members to this final class, which overrides them
// for every interface T implements at once.

#include <atomic>
#include <new>

#include "com/module_lock.h"
#include "platform/win32.h"

namespace korvane {

template <class T>
class ComObject final : public T {
 public:
  using T::T;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = this->FindInterface(riid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return refs_.fetch_add(1, std::memory_order_relaxed) + 1;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
      this->FinalRelease();
      delete this;
    }
    return left;
  }

 private:
  std::atomic<ULONG> refs_{0};
  ModuleLock moduleLock_;
};

// Creates a T and hands out the interface `riid` of it (with its reference).
template <class T>
HRESULT CreateComObject(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComObject<T>* created = nullptr;
  try {
    created = new ComObject<T>();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  created->AddRef();
  HRESULT status = created->QueryInterface(riid, object);
  created->Release();
  return status;
}

}  // namespace korvane

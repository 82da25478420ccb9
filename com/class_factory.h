#pragma once
// The class object of a creatable class T: creates plain objects, and with
// an outer unknown aggregated ones.

#include "com/com_object.h"
#include "com/module_lock.h"
#include "platform/win32.h"

namespace korvane {

template <class T>
class ClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The factory lives as long as the module: its references do not count.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CreateAggregatedObject<T>(outer, riid, object);
    return CreateComObject<T>(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ModuleLockCount().fetch_add(1);
    } else {
      ModuleLockCount().fetch_sub(1);
    }
    return S_OK;
  }
};

}  // namespace korvane

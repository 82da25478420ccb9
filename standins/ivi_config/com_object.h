// The COM plumbing every object of the configuration server shares: a thread-safe reference
// count, QueryInterface for IUnknown and the one interface the object implements, and the count
// of live objects and server locks that DllCanUnloadNow reports.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_COM_OBJECT_H
#define KORVANE_PLATFORM_IVI_CONFIG_COM_OBJECT_H

#include <atomic>
#include <new>
#include <utility>

#include "platform/win32.h"

namespace korvane::ivi_config {

// Objects and LockServer(TRUE) calls that keep the module in use.
void AddModuleUse();
void RemoveModuleUse();
bool ModuleInUse();

template <class Interface>
class ComObject : public Interface {
 public:
  ComObject() { AddModuleUse(); }
  virtual ~ComObject() { RemoveModuleUse(); }
  // Objects live behind counted references only.
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IidOf<Interface>())) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<Interface*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

// Creates an Object (a ComObject) and hands its first reference out through out.
template <class Object, class Interface, class... Args>
HRESULT HandOut(Interface** out, Args&&... args) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    *out = new Object(std::forward<Args>(args)...);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_COM_OBJECT_H

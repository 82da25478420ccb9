// A COM object that counts its references, so that tests can see who holds it.
#pragma once

#include "platform/win32.h"

namespace korvane::test {

// Answers IUnknown only. The test owns it on the stack; references are only
// counted, never used to free it. Copying would copy the count: deleted.
class CountedObject final : public IUnknown {
 public:
  CountedObject() = default;
  CountedObject(const CountedObject&) = delete;
  CountedObject& operator=(const CountedObject&) = delete;
  ~CountedObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    return static_cast<ULONG>(InterlockedDecrement(&references_));
  }

  LONG references() const { return references_; }

 private:
  LONG volatile references_ = 0;
};

}  // namespace korvane::test

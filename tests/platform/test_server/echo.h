// The tiny COM class of the platform tests: ITestEcho doubles a number. It is
// served by the test server module (test_server.cpp) and, for in-process
// registration, by the tests themselves.
#pragma once

#include <new>

#include "platform/win32.h"

struct ITestEcho : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Twice(LONG value, LONG* result) = 0;

 protected:
  ~ITestEcho() = default;
};
inline constexpr IID IID_ITestEcho = {
    0x6C1D2A10, 0x3F4B, 0x4E8A, {0x9B, 0x71, 0x2D, 0x55, 0x0E, 0x14, 0xA7, 0x01}};
template <>
inline const IID& IidOf<ITestEcho>() {
  return IID_ITestEcho;
}

// The class served by the test server module.
inline constexpr CLSID CLSID_TestEchoServer = {
    0x6C1D2A11, 0x3F4B, 0x4E8A, {0x9B, 0x71, 0x2D, 0x55, 0x0E, 0x14, 0xA7, 0x02}};

namespace korvane::test {

// A heap object that ends with its last Release. Copying would duplicate the
// count: deleted.
class EchoObject final : public ITestEcho {
 public:
  EchoObject() = default;
  EchoObject(const EchoObject&) = delete;
  EchoObject& operator=(const EchoObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_ITestEcho)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<ITestEcho*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG remaining = InterlockedDecrement(&references_);
    if (remaining == 0) delete this;
    return static_cast<ULONG>(remaining);
  }
  HRESULT STDMETHODCALLTYPE Twice(LONG value, LONG* result) override {
    if (result == nullptr) return E_POINTER;
    *result = 2 * value;
    return S_OK;
  }

 private:
  ~EchoObject() = default;
  LONG volatile references_ = 1;
};

// Creates EchoObjects; counts its own references so that tests can see them
// released. Lives on the stack or as a static. Copying: deleted.
class EchoFactory final : public IClassFactory {
 public:
  EchoFactory() = default;
  EchoFactory(const EchoFactory&) = delete;
  EchoFactory& operator=(const EchoFactory&) = delete;
  ~EchoFactory() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    return static_cast<ULONG>(InterlockedDecrement(&references_));
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) EchoObject();
    if (object == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  LONG references() const { return references_; }

 private:
  LONG volatile references_ = 0;
};

}  // namespace korvane::test

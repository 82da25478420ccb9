// The COM error object and the calling thread's current error object.
#include <atomic>
#include <new>
#include <string>

#include "platform/posix/oleauto.h"

namespace {

using Text = std::u16string;

// Holds a text that may be absent (a null string is not an empty one).
struct OptionalText {
  bool present = false;
  Text text;

  void Assign(LPCOLESTR value) {
    present = value != nullptr;
    text = present ? Text(value) : Text();
  }
  HRESULT CopyTo(BSTR* out) const {
    if (out == nullptr) return E_INVALIDARG;
    *out = present ? SysAllocStringLen(text.data(), static_cast<UINT>(text.size())) : nullptr;
    return present && *out == nullptr ? E_OUTOFMEMORY : S_OK;
  }
};

// One object with both faces: ICreateErrorInfo to fill it, IErrorInfo to read
// it. Copying would duplicate the reference count: deleted.
class ErrorObject final : public IErrorInfo, public ICreateErrorInfo {
 public:
  ErrorObject() = default;
  ErrorObject(const ErrorObject&) = delete;
  ErrorObject& operator=(const ErrorObject&) = delete;

  // IUnknown, reached through either base.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
      *ppv = static_cast<IErrorInfo*>(this);
    } else if (riid == IID_ICreateErrorInfo) {
      *ppv = static_cast<ICreateErrorInfo*>(this);
    } else {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
  }

  // IErrorInfo
  HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) override {
    if (pGUID == nullptr) return E_INVALIDARG;
    *pGUID = guid_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSource(BSTR* out) override { return source_.CopyTo(out); }
  HRESULT STDMETHODCALLTYPE GetDescription(BSTR* out) override { return description_.CopyTo(out); }
  HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* out) override { return helpFile_.CopyTo(out); }
  HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* pdwHelpContext) override {
    if (pdwHelpContext == nullptr) return E_INVALIDARG;
    *pdwHelpContext = helpContext_;
    return S_OK;
  }

  // ICreateErrorInfo
  HRESULT STDMETHODCALLTYPE SetGUID(REFGUID rguid) override {
    guid_ = rguid;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR text) override { return Store(&source_, text); }
  HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR text) override {
    return Store(&description_, text);
  }
  HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR text) override { return Store(&helpFile_, text); }
  HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) override {
    helpContext_ = dwHelpContext;
    return S_OK;
  }

 private:
  ~ErrorObject() = default;

  static HRESULT Store(OptionalText* field, LPCOLESTR text) {
    try {
      field->Assign(text);
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  std::atomic<ULONG> references_{1};
  GUID guid_ = GUID_NULL;
  OptionalText source_;
  OptionalText description_;
  OptionalText helpFile_;
  DWORD helpContext_ = 0;
};

// The thread's current error object; the reference it holds is released when
// it is replaced, taken or the thread ends.
class ThreadErrorSlot {
 public:
  ThreadErrorSlot() = default;
  ThreadErrorSlot(const ThreadErrorSlot&) = delete;
  ThreadErrorSlot& operator=(const ThreadErrorSlot&) = delete;
  ~ThreadErrorSlot() { Replace(nullptr); }

  void Replace(IErrorInfo* info) {
    if (info != nullptr) info->AddRef();
    IErrorInfo* previous = current_;
    current_ = info;
    if (previous != nullptr) previous->Release();
  }
  IErrorInfo* Take() {
    IErrorInfo* taken = current_;
    current_ = nullptr;
    return taken;
  }

 private:
  IErrorInfo* current_ = nullptr;
};

thread_local ThreadErrorSlot t_errorSlot;

}  // namespace

extern "C" HRESULT CreateErrorInfo(ICreateErrorInfo** errorInfo) {
  if (errorInfo == nullptr) return E_INVALIDARG;
  auto* object = new (std::nothrow) ErrorObject();
  *errorInfo = object;
  return object == nullptr ? E_OUTOFMEMORY : S_OK;
}

extern "C" HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* errorInfo) {
  if (reserved != 0) return E_INVALIDARG;
  t_errorSlot.Replace(errorInfo);
  return S_OK;
}

extern "C" HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** errorInfo) {
  if (errorInfo == nullptr) return E_INVALIDARG;
  *errorInfo = nullptr;
  if (reserved != 0) return E_INVALIDARG;
  *errorInfo = t_errorSlot.Take();
  return *errorInfo == nullptr ? S_FALSE : S_OK;
}

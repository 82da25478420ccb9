// The Global Interface Table: interface pointers kept under cookies so that
// any thread can fetch them.
#include <map>
#include <mutex>
#include <shared_mutex>

#include "platform/posix/detail/global_interface_table.h"

namespace {

// One per process; it lives as long as the process, so its reference count
// is not used to end it, and pointers still registered when the process ends
// are not released. Copying it would duplicate the table: deleted.
class GlobalInterfaceTable final : public IGlobalInterfaceTable {
 public:
  GlobalInterfaceTable() = default;
  GlobalInterfaceTable(const GlobalInterfaceTable&) = delete;
  GlobalInterfaceTable& operator=(const GlobalInterfaceTable&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IGlobalInterfaceTable)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IGlobalInterfaceTable*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // Keeps the object's riid interface (the object must have it).
  HRESULT STDMETHODCALLTYPE RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid,
                                                      DWORD* pdwCookie) override {
    if (pdwCookie == nullptr) return E_INVALIDARG;
    *pdwCookie = 0;
    if (pUnk == nullptr) return E_INVALIDARG;
    IUnknown* kept = nullptr;
    const HRESULT hr = pUnk->QueryInterface(riid, reinterpret_cast<void**>(&kept));
    if (FAILED(hr)) return hr;
    std::lock_guard guard(mutex_);
    *pdwCookie = nextCookie_++;
    entries_[*pdwCookie] = kept;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE RevokeInterfaceFromGlobal(DWORD dwCookie) override {
    IUnknown* kept = nullptr;
    {
      std::lock_guard guard(mutex_);
      const auto found = entries_.find(dwCookie);
      if (found == entries_.end()) return E_INVALIDARG;
      kept = found->second;
      entries_.erase(found);
    }
    kept->Release();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid,
                                                   void** ppv) override {
    if (ppv == nullptr) return E_INVALIDARG;
    *ppv = nullptr;
    IUnknown* kept = nullptr;
    {
      std::shared_lock guard(mutex_);
      const auto found = entries_.find(dwCookie);
      if (found == entries_.end()) return E_INVALIDARG;
      kept = found->second;
      kept->AddRef();  // stays alive even if revoked meanwhile
    }
    const HRESULT hr = kept->QueryInterface(riid, ppv);
    kept->Release();
    return hr;
  }

 private:
  // Fetches, one on every IVI-C call, share the lock; registering and revoking take it alone.
  std::shared_mutex mutex_;
  std::map<DWORD, IUnknown*> entries_;  // each holds a reference
  DWORD nextCookie_ = 0x100;
};

}  // namespace

namespace korvane::platform {

IGlobalInterfaceTable* ProcessGlobalInterfaceTable() {
  static GlobalInterfaceTable table;
  return &table;
}

}  // namespace korvane::platform

#include "ivic/session_bridge.h"

#include <atomic>
#include <cstdint>
#include <mutex>

#include "com/identifiers.h"
#include "com/module.h"
#include "ivic/close_claim.h"
#include "ivic/thread_local.h"
#include "standins/ivi_session/ivi_session.h"

namespace korvane::ivic {
namespace {

// True once this layer has put the calling thread into COM.
CThreadLocal<bool> threadEnteredCom;

// The driver class is known in this process from the first opening on, so that a C program
// needs no registration step. A failed attempt is tried again on the next opening.
HRESULT MakeClassKnown() {
  static std::mutex mutex;
  static bool known = false;
  std::lock_guard lock(mutex);
  if (known) return S_OK;
  DWORD cookie = 0;  // kept for the life of the process
  const HRESULT hr = RegisterClassObjectsInProcess(&cookie);
  known = SUCCEEDED(hr);
  return hr;
}

// The process's Global Interface Table. COM keeps one table per process and hands out that same
// object to every creation; it is created here on first use and the pointer kept for the life of
// the process. Creating it again for every call would cost each C call COM's look-up of the
// class in the registry (whether another class emulates it), a round trip to the registry's
// server under Wine whose time depends on the machine's load. The reference is never released:
// the table outlives the process's last call, and nothing of this layer runs at exit.
HRESULT GlobalTable(IGlobalInterfaceTable*& table) {
  static std::atomic<IGlobalInterfaceTable*> kept{nullptr};
  table = kept.load(std::memory_order_acquire);
  if (table != nullptr) return S_OK;
  IGlobalInterfaceTable* created = nullptr;
  const HRESULT hr =
      CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_ALL,
                       IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&created));
  if (FAILED(hr)) return hr;
  IGlobalInterfaceTable* expected = nullptr;
  if (!kept.compare_exchange_strong(expected, created, std::memory_order_acq_rel)) {
    created->Release();  // another thread kept the same table first
    created = expected;
  }
  table = created;
  return S_OK;
}

DWORD CookieOf(void* data) {
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(data));
}

// The session lock around a driver lookup; VI_NULL takes none.
class LookupLock {
 public:
  explicit LookupLock(ViSession vi)
      : vi_(vi), held_(vi != VI_NULL && IviSession_Lock(vi, nullptr) == VI_SUCCESS) {}
  ~LookupLock() {
    if (held_) IviSession_Unlock(vi_, nullptr);
  }
  LookupLock(const LookupLock&) = delete;
  LookupLock& operator=(const LookupLock&) = delete;

 private:
  ViSession vi_;
  bool held_;
};

// Registers an initialized driver under a new session; returns the status of the open.
ViStatus RegisterSession(IUnknown* driver, HRESULT initialized, ViSession* vi) {
  if (const ViStatus status = IviSession_New(vi)) return status;
  IGlobalInterfaceTable* table = nullptr;
  if (FAILED(GlobalTable(table))) {
    return StoreMessage(*vi, IVI_ERROR_CANNOT_RECOVER, "Could not access global interface table.");
  }
  DWORD cookie = 0;
  if (FAILED(table->RegisterInterfaceInGlobal(driver, IID_IUnknown, &cookie))) {
    return StoreMessage(*vi, IVI_ERROR_CANNOT_RECOVER,
                        "Could not register IVI-COM driver pointer in global interface table.");
  }
  const ViStatus stored =
      IviSession_SetDataPtr(*vi, reinterpret_cast<void*>(static_cast<uintptr_t>(cookie)));
  if (stored != VI_SUCCESS) {
    // Nothing is left behind: without its cookie the session could never reach the driver.
    table->RevokeInterfaceFromGlobal(cookie);
    IviSession_Dispose(*vi);
    *vi = VI_NULL;
    return stored;
  }
  return TranslateResult(*vi, initialized);
}

// Revokes the session's driver from the table and disposes of the session.
ViStatus RemoveDriver(ViSession vi) {
  void* data = nullptr;
  if (const ViStatus status = IviSession_GetDataPtr(vi, &data)) return status;
  ViStatus tableError = VI_SUCCESS;
  IGlobalInterfaceTable* table = nullptr;
  if (FAILED(GlobalTable(table))) {
    tableError =
        StoreMessage(vi, IVI_ERROR_CANNOT_RECOVER, "Could not access global interface table.");
  } else if (FAILED(table->RevokeInterfaceFromGlobal(CookieOf(data)))) {
    tableError =
        StoreMessage(vi, IVI_ERROR_CANNOT_RECOVER,
                     "Could not remove IVI-COM driver pointer from global interface table.");
  }
  const ViStatus disposed = IviSession_Dispose(vi);
  return tableError != VI_SUCCESS ? tableError : disposed;
}

}  // namespace

HRESULT EnterCom() {
  if (threadEnteredCom.Get()) return S_OK;
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (hr == RPC_E_CHANGED_MODE) return S_OK;
  if (hr == S_FALSE) {
    CoUninitialize();  // the thread was in COM already: drop the count this call added
    return S_OK;
  }
  if (FAILED(hr)) return hr;
  threadEnteredCom.Set(true);  // without a slot, the next call asks COM again
  return S_OK;
}

HRESULT CreateDriver(ComPtr<IUnknown>& driver) {
  if (const HRESULT hr = MakeClassKnown(); FAILED(hr)) return hr;
  const HRESULT hr =
      CoCreateInstance(kClsidKorvane, nullptr, CLSCTX_ALL, IID_IUnknown, driver.GetVoidAddressOf());
  if (SUCCEEDED(hr) && !driver) return E_POINTER;
  return hr;
}

ViStatus OpenSession(ViConstString resourceName, ViBoolean idQuery, ViBoolean reset,
                     ViConstString optionString, ViSession* vi) {
  if (vi == nullptr) return IVI_ERROR_NULL_POINTER;
  *vi = VI_NULL;
  if (FAILED(EnterCom())) return KORVANE_ERROR_GENERIC;
  ComPtr<IUnknown> driver;
  if (FAILED(CreateDriver(driver))) return KORVANE_ERROR_GENERIC;
  ComPtr<IIviDriver> session;
  if (const ViStatus status = QueryFace(VI_NULL, driver.Get(), session)) return status;
  const ScopedBstr resource = ToBstr(resourceName);
  const ScopedBstr options = ToBstr(optionString);
  const HRESULT initialized = session->Initialize(resource.Get(), ToVariantBool(idQuery),
                                                  ToVariantBool(reset), options.Get());
  if (FAILED(initialized)) return TranslateResult(VI_NULL, initialized);
  return RegisterSession(driver.Get(), initialized, vi);
}

// Of two threads closing one session at once, the second waits for the first
// to dispose of it and then finds the handle gone: exactly one close succeeds.
ViStatus CloseSession(ViSession vi) {
  const CloseClaim claim(vi);
  ComPtr<IUnknown> driver;
  if (const ViStatus status = LookUpDriver(vi, driver)) return status;
  ComPtr<IIviDriver> session;
  ViStatus closed = QueryFace(vi, driver.Get(), session);
  if (closed == VI_SUCCESS) closed = TranslateResult(vi, session->Close());
  const ViStatus removed = RemoveDriver(vi);
  return closed != VI_SUCCESS ? closed : removed;
}

ViStatus LookUpDriver(ViSession vi, ComPtr<IUnknown>& driver) {
  const LookupLock lock(vi);
  if (FAILED(EnterCom())) {
    return StoreMessage(vi, IVI_ERROR_CANNOT_RECOVER, "Could not initialize COM.");
  }
  void* data = nullptr;
  if (const ViStatus status = IviSession_GetDataPtr(vi, &data)) return status;
  IGlobalInterfaceTable* table = nullptr;
  if (FAILED(GlobalTable(table))) {
    return StoreMessage(vi, IVI_ERROR_CANNOT_RECOVER, "Could not access global interface table.");
  }
  if (FAILED(
          table->GetInterfaceFromGlobal(CookieOf(data), IID_IUnknown, driver.GetVoidAddressOf()))) {
    return StoreMessage(
        vi, IVI_ERROR_CANNOT_RECOVER,
        "Could not retrieve pointer to IVI-COM driver from global interface table.");
  }
  return VI_SUCCESS;
}

}  // namespace korvane::ivic

// Object creation: CoGetClassObject and CoCreateInstance.
#include "platform/posix/detail/apartment.h"
#include "platform/posix/detail/class_registry.h"
#include "platform/posix/detail/global_interface_table.h"
#include "platform/posix/detail/inproc_server.h"

using korvane::platform::ThreadMayUseCom;

extern "C" HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID, REFIID riid,
                                    LPVOID* ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  if (!ThreadMayUseCom()) return CO_E_NOTINITIALIZED;
  if (IUnknown* registered = korvane::platform::FindRegisteredClassObject(rclsid, dwClsContext)) {
    const HRESULT hr = registered->QueryInterface(riid, ppv);
    registered->Release();
    return hr;
  }
  if ((dwClsContext & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  return korvane::platform::GetInprocServerClassObject(rclsid, riid, ppv);
}

extern "C" HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext,
                                    REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!ThreadMayUseCom()) return CO_E_NOTINITIALIZED;
  if (IsEqualCLSID(rclsid, CLSID_StdGlobalInterfaceTable)) {
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    return korvane::platform::ProcessGlobalInterfaceTable()->QueryInterface(riid, ppv);
  }
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(pUnkOuter, riid, ppv);
  factory->Release();
  return hr;
}

extern "C" void CoFreeUnusedLibraries() {}

// Objects of in-process servers are running once they exist.
extern "C" HRESULT OleRun(LPUNKNOWN pUnknown) {
  return pUnknown == nullptr ? E_INVALIDARG : S_OK;
}

// An in-process COM server module for the platform tests: it serves
// CLSID_TestEchoServer through DllGetClassObject.
#include "echo.h"

namespace {

korvane::test::EchoFactory g_factory;

}  // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(rclsid, CLSID_TestEchoServer)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() {
  return S_FALSE;
}

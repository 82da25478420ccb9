// The COM server entry points the module exports.

#include "com/module.h"

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  return korvane::GetClassObject(clsid, riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return korvane::CanUnloadNow();
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return korvane::RegisterServer();
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return korvane::UnregisterServer();
}

extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
  return korvane::InstallServer(install, commandLine);
}

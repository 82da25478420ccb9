// The COM server entry points the module exports.

#include "com/module.h"

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  return korvane::GetClassObject(clsid, riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return korvane::CanUnloadNow();
}

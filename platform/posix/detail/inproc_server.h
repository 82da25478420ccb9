// In-process servers named in the registry, as object creation reaches them.
#pragma once

#include "platform/posix/objbase.h"

namespace korvane::platform {

// Asks the module named by HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 for
// its class object. The module stays loaded.
HRESULT GetInprocServerClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv);

}  // namespace korvane::platform

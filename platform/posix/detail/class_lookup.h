// The two places where COM finds a class object: the classes registered in
// this process and the in-process servers named in the registry.
#pragma once

#include <string>

#include "platform/posix/objbase.h"

namespace korvane::platform {

// A new reference to the class object registered for clsid in one of the
// contexts, or null. A single-use registration is used up by this call.
IUnknown* FindRegisteredClassObject(REFCLSID clsid, DWORD context);

// Asks the module named by HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 for
// its class object. The module stays loaded.
HRESULT GetInprocServerClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv);

// The default value (a string) of a key below HKEY_CLASSES_ROOT.
bool ReadClassesRootString(const std::u16string& path, std::u16string* value);

// "{...}" of a GUID.
std::u16string GuidText(REFGUID guid);

}  // namespace korvane::platform

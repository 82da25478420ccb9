#pragma once
// The module object of the in-process server: its class objects, lock count
// and self-registration, shared by the exported COM entry points and by
// programs that link the driver in directly.

#include "platform/win32.h"

namespace korvane {

// DllGetClassObject's work: the class object of a class, or
// CLASS_E_CLASSNOTAVAILABLE.
HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object);

// S_OK when no object and no lock keeps the module, else S_FALSE.
HRESULT CanUnloadNow();

// DllRegisterServer, DllUnregisterServer and DllInstall: the registry scripts
// and the type library, machine-wide or, once DllInstall was given "user",
// for the current user only.
HRESULT RegisterServer();
HRESULT UnregisterServer();
HRESULT InstallServer(BOOL install, LPCWSTR commandLine);

// Makes the driver class creatable in this process without any registration
// step, as CoRegisterClassObject does; the returned cookie revokes it.
HRESULT RegisterClassObjectsInProcess(DWORD* cookie);

}  // namespace korvane

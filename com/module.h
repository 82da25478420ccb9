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
// step, as CoRegisterClassObject does; the returned cookie revokes it. The
// module is pinned first: it stays loaded until the process ends.
//
// The rule at unload and exit: the module's unload and its static objects'
// destruction do nothing that can wait (no thread joins, no waits, no COM
// calls, no locks another thread may hold). Sessions and objects are released
// by Korvane_close and Release; what a program leaves open, and what the
// module keeps for the life of the process (the class object, the Global
// Interface Table, the loaded type library, the session table), is left to
// the system.
HRESULT RegisterClassObjectsInProcess(DWORD* cookie);

}  // namespace korvane

// The class objects registered in this process (CoRegisterClassObject), as
// object creation looks them up.
#pragma once

#include "platform/posix/objbase.h"

namespace korvane::platform {

// A new reference to the class object registered for clsid in one of the
// contexts, or null. A single-use registration is used up by this call.
IUnknown* FindRegisteredClassObject(REFCLSID clsid, DWORD context);

}  // namespace korvane::platform

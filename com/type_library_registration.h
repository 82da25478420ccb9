#pragma once
// Registration of the module's type library (resource TYPELIB 1 of the
// module, or failing that the .tlb file beside it): machine-wide with
// RegisterTypeLib, per user with RegisterTypeLibForUser where the system has
// it (looked up in OLEAUT32.DLL at run time) and RegisterTypeLib where not.

#include "platform/win32.h"

namespace korvane {

HRESULT RegisterModuleTypeLib(bool perUser);
HRESULT UnregisterModuleTypeLib(bool perUser);

}  // namespace korvane

#pragma once
// What IProvideClassInfo2 answers for the driver's classes.

#include "platform/win32.h"

namespace korvane {

// A new reference to the type information of the co-class `clsid`, from the
// registered KorvaneLib. The library is loaded on the first call and kept
// until the module unloads; a failed load is retried on the next call.
HRESULT ClassTypeInfo(REFCLSID clsid, ITypeInfo** typeInfo);

// GetGUID: the driver has no event source, so the default source interface
// is E_FAIL with a zero GUID; any other kind is E_INVALIDARG.
HRESULT ClassGuid(DWORD kind, GUID* guid);

}  // namespace korvane

// GUIDs (class, interface and library identifiers), their comparison and their
// text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include "platform/posix/winerror.h"
#include "platform/posix/wintypes.h"
#include "platform/same_id.h"

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using FMTID = GUID;
using LPGUID = GUID*;
using LPIID = IID*;
using LPCLSID = CLSID*;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFFMTID = const FMTID&;

inline bool IsEqualGUID(REFGUID a, REFGUID b) {
  return korvane::SameId(a, b);
}
inline bool IsEqualIID(REFIID a, REFIID b) {
  return IsEqualGUID(a, b);
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
  return IsEqualGUID(a, b);
}
inline bool operator==(REFGUID a, REFGUID b) {
  return IsEqualGUID(a, b);
}
inline bool operator!=(REFGUID a, REFGUID b) {
  return !IsEqualGUID(a, b);
}

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

// Writes "{...}" (upper-case hexadecimal) and its terminator into buffer.
// Returns the number of characters written, terminator included (39), or 0
// when cchMax is too small.
extern "C" int StringFromGUID2(REFGUID rguid, LPOLESTR buffer, int cchMax);

// Parses "{...}". A null string yields CLSID_NULL. CLSIDFromString also accepts
// a ProgID (looked up as CLSIDFromProgID does) and fails with CO_E_CLASSSTRING;
// IIDFromString fails with E_INVALIDARG.
extern "C" HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
extern "C" HRESULT IIDFromString(LPCOLESTR text, LPIID iid);

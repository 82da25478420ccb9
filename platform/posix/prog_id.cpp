// ProgIDs: HKEY_CLASSES_ROOT\<ProgID>\CLSID and HKEY_CLASSES_ROOT\CLSID\{...}\ProgID.
#include <cstring>

#include "platform/posix/detail/classes_root.h"
#include "platform/posix/detail/guid_text.h"
#include "platform/posix/objbase.h"

using korvane::platform::GuidText;
using korvane::platform::ReadClassesRootString;

extern "C" HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
  if (lpszProgID == nullptr || lpclsid == nullptr) return E_INVALIDARG;
  *lpclsid = CLSID_NULL;
  std::u16string text;
  if (lpszProgID[0] == 0 ||
      !ReadClassesRootString(std::u16string(lpszProgID) + u"\\CLSID", &text)) {
    return CO_E_CLASSSTRING;
  }
  return SUCCEEDED(IIDFromString(text.c_str(), lpclsid)) ? S_OK : CO_E_CLASSSTRING;
}

extern "C" HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID) {
  if (lplpszProgID == nullptr) return E_INVALIDARG;
  *lplpszProgID = nullptr;
  std::u16string progId;
  if (!ReadClassesRootString(u"CLSID\\" + GuidText(clsid) + u"\\ProgID", &progId)) {
    return REGDB_E_CLASSNOTREG;
  }
  const std::size_t bytes = (progId.size() + 1) * sizeof(OLECHAR);
  *lplpszProgID = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (*lplpszProgID == nullptr) return E_OUTOFMEMORY;
  std::memcpy(*lplpszProgID, progId.c_str(), bytes);
  return S_OK;
}

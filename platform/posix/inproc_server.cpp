// In-process servers found through the registry.
#include "platform/posix/detail/inproc_server.h"

#include "platform/posix/detail/classes_root.h"
#include "platform/posix/detail/guid_text.h"
#include "platform/posix/winbase.h"
#include "platform/posix/winreg.h"

namespace korvane::platform {

HRESULT GetInprocServerClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
  std::u16string modulePath;
  if (!ReadClassesRootString(u"CLSID\\" + GuidText(clsid) + u"\\InprocServer32", &modulePath) ||
      modulePath.empty()) {
    return REGDB_E_CLASSNOTREG;
  }
  // Modules loaded for COM are never unloaded, so the handle is not kept.
  HMODULE module = LoadLibraryW(modulePath.c_str());
  if (module == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  using DllGetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
  auto entry = reinterpret_cast<DllGetClassObjectFunction>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  if (entry == nullptr) return CO_E_ERRORINDLL;
  return entry(clsid, riid, ppv);
}

}  // namespace korvane::platform

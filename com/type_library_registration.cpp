#include "com/type_library_registration.h"

#include "com/module_file.h"
#include "platform/com_ptr.h"

namespace korvane {
namespace {

using RegisterForUser = HRESULT(WINAPI*)(ITypeLib*, LPOLESTR, LPOLESTR);
using UnregisterForUser = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

// An entry point of OLE automation that older systems lack, or null.
template <class Function>
Function OleAutomationEntry(const char* name) {
  const HMODULE oleaut = GetModuleHandleW(OLESTR("OLEAUT32.DLL"));
  const FARPROC address = oleaut == nullptr ? nullptr : GetProcAddress(oleaut, name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// The file name with the extension after its last backslash replaced by .tlb.
OleString TlbBeside(const OleString& file) {
  const std::size_t slash = file.rfind(OLECHAR('\\'));
  const std::size_t dot = file.rfind(OLECHAR('.'));
  const bool hasExtension = dot != OleString::npos && (slash == OleString::npos || dot > slash);
  return (hasExtension ? file.substr(0, dot) : file) + OLESTR(".tlb");
}

// Loads the library from the module, or from the .tlb beside it; `from` is
// the file it came from.
HRESULT LoadModuleTypeLib(ComPtr<ITypeLib>& library, OleString& from) {
  HRESULT result = ModuleFileName(from);
  if (FAILED(result)) return result;
  try {
    result = LoadTypeLib(from.c_str(), library.GetAddressOf());
    if (SUCCEEDED(result)) return result;
    from = TlbBeside(from);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return LoadTypeLib(from.c_str(), library.GetAddressOf());
}

}  // namespace

HRESULT RegisterModuleTypeLib(bool perUser) {
  ComPtr<ITypeLib> library;
  OleString file;
  HRESULT result = LoadModuleTypeLib(library, file);
  if (FAILED(result)) return result;
  OleString helpDirectory;
  try {
    const std::size_t cut = file.find_last_of(OLESTR("\\/:"));
    helpDirectory = cut == OleString::npos ? OleString() : file.substr(0, cut);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const auto forUser =
      perUser ? OleAutomationEntry<RegisterForUser>("RegisterTypeLibForUser") : nullptr;
  if (forUser != nullptr) return forUser(library.Get(), file.data(), helpDirectory.data());
  return RegisterTypeLib(library.Get(), file.data(), helpDirectory.data());
}

HRESULT UnregisterModuleTypeLib(bool perUser) {
  ComPtr<ITypeLib> library;
  OleString file;
  HRESULT result = LoadModuleTypeLib(library, file);
  if (FAILED(result)) return result;
  TLIBATTR* attributes = nullptr;
  result = library->GetLibAttr(&attributes);
  if (FAILED(result)) return result;
  const TLIBATTR copy = *attributes;
  library->ReleaseTLibAttr(attributes);
  const auto forUser =
      perUser ? OleAutomationEntry<UnregisterForUser>("UnRegisterTypeLibForUser") : nullptr;
  if (forUser != nullptr) {
    return forUser(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
  }
  return UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                           copy.syskind);
}

}  // namespace korvane

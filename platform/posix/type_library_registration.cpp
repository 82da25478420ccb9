// Registering type libraries: the keys below TypeLib that LoadRegTypeLib
// reads, and the Interface keys of the library's automation interfaces.
#include <cstdio>
#include <string>

#include "platform/posix/detail/utf.h"
#include "platform/win32.h"

namespace {

using korvane::platform::Utf8Of;
using korvane::platform::Utf8ToUtf16;

constexpr WORD kTypeFlagOleAutomation = 0x100;
constexpr WORD kTypeFlagDual = 0x40;
// The automation marshaller that proxies the library's interfaces.
constexpr char16_t kAutomationProxy[] = u"{00020424-0000-0000-C000-000000000046}";

std::u16string GuidText(REFGUID guid) {
  LPOLESTR text = nullptr;
  if (FAILED(StringFromCLSID(guid, &text))) return {};
  std::u16string result(text);
  CoTaskMemFree(text);
  return result;
}

std::u16string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return Utf8ToUtf16(text);
}

// TypeLib\{id}\<major>.<minor>, the minor written in hexadecimal.
std::u16string VersionKey(REFGUID guid, WORD major, WORD minor) {
  return u"TypeLib\\" + GuidText(guid) + u"\\" + Utf8ToUtf16(std::to_string(major)) + u"." +
         Hex(minor);
}

const char16_t* PlatformName(SYSKIND syskind) {
  return syskind == SYS_WIN64 ? u"win64" : syskind == SYS_WIN32 ? u"win32" : u"win16";
}

HRESULT FromWin32(LSTATUS status) {
  return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

// Creates the key below root and sets its default value (and a named one).
HRESULT SetKey(HKEY root, const std::u16string& path, const std::u16string& value,
               const char16_t* valueName = nullptr) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return FromWin32(status);
  status = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
  return FromWin32(status);
}

HRESULT RegisterInterfaces(HKEY root, ITypeLib* library, const std::u16string& libraryId,
                           const std::u16string& version) {
  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    ITypeInfo* info = nullptr;
    HRESULT result = library->GetTypeInfo(i, &info);
    if (FAILED(result)) return result;
    TYPEATTR* attributes = nullptr;
    result = info->GetTypeAttr(&attributes);
    BSTR name = nullptr;
    if (SUCCEEDED(result))
      result = info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    const bool automation =
        SUCCEEDED(result) && attributes->typekind == TKIND_INTERFACE &&
        (attributes->wTypeFlags & (kTypeFlagOleAutomation | kTypeFlagDual)) != 0;
    if (automation) {
      const std::u16string key = u"Interface\\" + GuidText(attributes->guid);
      result = SetKey(root, key, name == nullptr ? u"" : name);
      if (SUCCEEDED(result)) result = SetKey(root, key + u"\\ProxyStubClsid", kAutomationProxy);
      if (SUCCEEDED(result)) result = SetKey(root, key + u"\\ProxyStubClsid32", kAutomationProxy);
      if (SUCCEEDED(result)) result = SetKey(root, key + u"\\TypeLib", libraryId);
      if (SUCCEEDED(result)) result = SetKey(root, key + u"\\TypeLib", version, u"Version");
    }
    SysFreeString(name);
    if (attributes != nullptr) info->ReleaseTypeAttr(attributes);
    info->Release();
    if (FAILED(result)) return result;
  }
  return S_OK;
}

HRESULT Register(HKEY root, ITypeLib* library, LPCOLESTR path, LPCOLESTR helpDirectory) {
  if (library == nullptr || path == nullptr) return E_INVALIDARG;
  TLIBATTR* attributes = nullptr;
  HRESULT result = library->GetLibAttr(&attributes);
  if (FAILED(result)) return result;
  const TLIBATTR a = *attributes;
  library->ReleaseTLibAttr(attributes);
  BSTR help = nullptr;
  library->GetDocumentation(-1, nullptr, &help, nullptr, nullptr);
  const std::u16string key = VersionKey(a.guid, a.wMajorVerNum, a.wMinorVerNum);
  result = SetKey(root, key, help == nullptr ? u"" : help);
  SysFreeString(help);
  if (SUCCEEDED(result)) {
    result = SetKey(root, key + u"\\" + Hex(a.lcid) + u"\\" + PlatformName(a.syskind), path);
  }
  if (SUCCEEDED(result)) result = SetKey(root, key + u"\\FLAGS", Hex(a.wLibFlags));
  if (SUCCEEDED(result) && helpDirectory != nullptr) {
    result = SetKey(root, key + u"\\HELPDIR", helpDirectory);
  }
  if (FAILED(result)) return result;
  return RegisterInterfaces(
      root, library, GuidText(a.guid),
      Utf8ToUtf16(std::to_string(a.wMajorVerNum)) + u"." + Hex(a.wMinorVerNum));
}

// Removes the version's key, the library's key when no version is left, and
// the Interface keys of its interfaces when the library can still be read.
HRESULT Unregister(HKEY root, REFGUID guid, WORD major, WORD minor) {
  const std::u16string key = VersionKey(guid, major, minor);
  ITypeLib* library = nullptr;
  if (LoadRegTypeLib(guid, major, minor, LOCALE_NEUTRAL, &library) == S_OK) {
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
      ITypeInfo* info = nullptr;
      if (FAILED(library->GetTypeInfo(i, &info))) continue;
      TYPEATTR* attributes = nullptr;
      if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
        if (attributes->typekind == TKIND_INTERFACE) {
          RegDeleteTreeW(root, (u"Interface\\" + GuidText(attributes->guid)).c_str());
        }
        info->ReleaseTypeAttr(attributes);
      }
      info->Release();
    }
    library->Release();
  }
  const LSTATUS status = RegDeleteTreeW(root, key.c_str());
  if (status != ERROR_SUCCESS) return TYPE_E_REGISTRYACCESS;
  RegDeleteKeyW(root, (u"TypeLib\\" + GuidText(guid)).c_str());  // only when empty
  return S_OK;
}

HKEY UserClasses() {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

// The path registered for the library, for the locale or the neutral one.
bool RegisteredPath(REFGUID guid, WORD major, WORD minor, LCID lcid, std::u16string& path) {
  const std::u16string key = VersionKey(guid, major, minor);
  for (LCID candidate : {lcid, static_cast<LCID>(lcid & 0x3FF), LCID{0}, LCID{0x409}}) {
    for (const char16_t* platform : {u"win64", u"win32"}) {
      const std::u16string sub = key + u"\\" + Hex(candidate) + u"\\" + platform;
      HKEY found = nullptr;
      if (RegOpenKeyExW(HKEY_CLASSES_ROOT, sub.c_str(), 0, KEY_READ, &found) != ERROR_SUCCESS) {
        continue;
      }
      char16_t value[MAX_PATH] = {};
      DWORD size = sizeof value - sizeof value[0];
      const LSTATUS status =
          RegQueryValueExW(found, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
      RegCloseKey(found);
      if (status == ERROR_SUCCESS) {
        path = value;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

extern "C" HRESULT LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID lcid,
                                  ITypeLib** pptlib) {
  if (pptlib == nullptr) return E_INVALIDARG;
  *pptlib = nullptr;
  std::u16string path;
  if (!RegisteredPath(rguid, wVerMajor, wVerMinor, lcid, path)) return TYPE_E_LIBNOTREGISTERED;
  return LoadTypeLib(path.c_str(), pptlib);
}

extern "C" HRESULT RegisterTypeLib(ITypeLib* ptlib, LPCOLESTR szFullPath, LPCOLESTR szHelpDir) {
  return Register(HKEY_CLASSES_ROOT, ptlib, szFullPath, szHelpDir);
}

extern "C" HRESULT RegisterTypeLibForUser(ITypeLib* ptlib, OLECHAR* szFullPath,
                                          OLECHAR* szHelpDir) {
  const HKEY root = UserClasses();
  if (root == nullptr) return TYPE_E_REGISTRYACCESS;
  const HRESULT result = Register(root, ptlib, szFullPath, szHelpDir);
  RegCloseKey(root);
  return result;
}

extern "C" HRESULT UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID, SYSKIND) {
  return Unregister(HKEY_CLASSES_ROOT, libID, wVerMajor, wVerMinor);
}

extern "C" HRESULT UnRegisterTypeLibForUser(REFGUID libID, WORD wMajorVerNum, WORD wMinorVerNum,
                                            LCID, SYSKIND) {
  const HKEY root = UserClasses();
  if (root == nullptr) return TYPE_E_REGISTRYACCESS;
  const HRESULT result = Unregister(root, libID, wMajorVerNum, wMinorVerNum);
  RegCloseKey(root);
  return result;
}

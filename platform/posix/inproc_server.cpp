// In-process servers found through the registry, and reading the class keys.
#include <cstring>
#include <vector>

#include "platform/posix/detail/class_lookup.h"
#include "platform/posix/winbase.h"
#include "platform/posix/winreg.h"

namespace korvane::platform {

namespace {

using DllGetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, LPVOID*);

// An open registry key, closed on destruction. Copying would close it twice:
// deleted.
class OpenKey {
 public:
  OpenKey() = default;
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::u16string GuidText(REFGUID guid) {
  OLECHAR text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

bool ReadClassesRootString(const std::u16string& path, std::u16string* value) {
  OpenKey key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  std::vector<BYTE> data(size + sizeof(OLECHAR), 0);
  if (RegQueryValueExW(key.get(), nullptr, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS) {
    return false;
  }
  std::u16string text(size / sizeof(OLECHAR), u'\0');
  std::memcpy(text.data(), data.data(), text.size() * sizeof(OLECHAR));
  const std::size_t end = text.find(u'\0');
  if (end != std::u16string::npos) text.resize(end);
  *value = text;
  return true;
}

HRESULT GetInprocServerClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
  std::u16string modulePath;
  if (!ReadClassesRootString(u"CLSID\\" + GuidText(clsid) + u"\\InprocServer32", &modulePath) ||
      modulePath.empty()) {
    return REGDB_E_CLASSNOTREG;
  }
  // Modules loaded for COM are never unloaded, so the handle is not kept.
  HMODULE module = LoadLibraryW(modulePath.c_str());
  if (module == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  auto entry = reinterpret_cast<DllGetClassObjectFunction>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  if (entry == nullptr) return CO_E_ERRORINDLL;
  return entry(clsid, riid, ppv);
}

}  // namespace korvane::platform

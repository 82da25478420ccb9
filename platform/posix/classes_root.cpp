// Reading the class keys below HKEY_CLASSES_ROOT.
#include "platform/posix/detail/classes_root.h"

#include <cstring>
#include <vector>

#include "platform/posix/winreg.h"
#include "platform/scoped_hkey.h"

namespace korvane::platform {

bool ReadClassesRootString(const std::u16string& path, std::u16string* value) {
  ScopedHkey key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  std::vector<BYTE> data(size + sizeof(OLECHAR), 0);
  if (RegQueryValueExW(key.Get(), nullptr, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS) {
    return false;
  }
  std::u16string text(size / sizeof(OLECHAR), u'\0');
  std::memcpy(text.data(), data.data(), text.size() * sizeof(OLECHAR));
  const std::size_t end = text.find(u'\0');
  if (end != std::u16string::npos) text.resize(end);
  *value = text;
  return true;
}

}  // namespace korvane::platform

// The registry functions: key handles, the merged HKEY_CLASSES_ROOT view, and
// the Windows results of every call.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <set>

#include "platform/posix/detail/registry_store.h"
#include "platform/posix/winreg.h"

using korvane::platform::CreateKey;
using korvane::platform::FindKey;
using korvane::platform::FoldName;
using korvane::platform::KeyPath;
using korvane::platform::RegistryKey;
using korvane::platform::RegistryStore;
using korvane::platform::RegistryTree;
using korvane::platform::RegistryValue;

enum class Hive { kMachine, kUser, kClassesRoot };

// What an HKEY points at: a hive and a path below it. Paths of
// HKEY_CLASSES_ROOT are relative to Software\Classes of both real hives. A
// handle names its key by path, so a key deleted behind it is simply missing.
struct HKEY__ {
  Hive hive;
  KeyPath path;
};

namespace {

const KeyPath kClassesPath = {u"Software", u"Classes"};

// The handles handed out and not yet closed.
class HandleTable {
 public:
  HKEY Add(Hive hive, KeyPath path) {
    auto* key = new (std::nothrow) HKEY__{hive, std::move(path)};
    if (key == nullptr) return nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    live_.insert(key);
    return key;
  }
  bool Remove(HKEY key) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (live_.erase(key) == 0) return false;
    }
    delete key;
    return true;
  }
  bool Contains(HKEY key) {
    std::lock_guard<std::mutex> guard(mutex_);
    return live_.count(key) != 0;
  }

 private:
  std::mutex mutex_;
  std::set<HKEY> live_;
};

HandleTable& Handles() {
  static HandleTable table;
  return table;
}

// A handle (predefined or opened) as hive and path; false for an unknown one.
bool Describe(HKEY key, HKEY__* description) {
  if (key == HKEY_CLASSES_ROOT) {
    *description = {Hive::kClassesRoot, {}};
  } else if (key == HKEY_CURRENT_USER) {
    *description = {Hive::kUser, {}};
  } else if (key == HKEY_LOCAL_MACHINE) {
    *description = {Hive::kMachine, {}};
  } else if (key != nullptr && Handles().Contains(key)) {
    *description = *key;
  } else {
    return false;
  }
  return true;
}

// Splits "a\b\c" into its parts; empty parts are skipped.
KeyPath SplitPath(LPCWSTR subKey) {
  KeyPath parts;
  if (subKey == nullptr) return parts;
  const std::u16string_view text(subKey);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(u'\\', start);
    if (end == std::u16string_view::npos) end = text.size();
    if (end > start) parts.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Whether a key path of a hive fits Windows's limits of depth and name length.
bool WithinLimits(Hive hive, const KeyPath& path) {
  const std::size_t below = hive == Hive::kClassesRoot ? kClassesPath.size() : 0;
  if (path.size() + below > korvane::platform::kMaxKeyDepth) return false;
  return std::all_of(path.begin(), path.end(), [](const std::u16string& name) {
    return name.size() <= korvane::platform::kMaxKeyNameLength;
  });
}

KeyPath Join(const KeyPath& first, const KeyPath& second) {
  KeyPath joined = first;
  joined.insert(joined.end(), second.begin(), second.end());
  return joined;
}

RegistryKey* UserClassesKey(const RegistryTree& tree, const KeyPath& path) {
  return FindKey(tree.user, Join(kClassesPath, path));
}

RegistryKey* MachineClassesKey(const RegistryTree& tree, const KeyPath& path) {
  return FindKey(tree.machine, Join(kClassesPath, path));
}

// The key a handle's path names; for HKEY_CLASSES_ROOT the user's key when it
// exists, otherwise the machine's. Values are read from and written to this
// key, so a value set through HKEY_CLASSES_ROOT lands in the user's key when
// there is one.
RegistryKey* Resolve(const RegistryTree& tree, const HKEY__& key) {
  switch (key.hive) {
    case Hive::kMachine:
      return FindKey(tree.machine, key.path);
    case Hive::kUser:
      return FindKey(tree.user, key.path);
    case Hive::kClassesRoot: {
      RegistryKey* user = UserClassesKey(tree, key.path);
      return user != nullptr ? user : MachineClassesKey(tree, key.path);
    }
  }
  return nullptr;
}

// The names of a key's sub keys in order; HKEY_CLASSES_ROOT merges both hives.
std::vector<std::u16string> SubKeyNames(const RegistryTree& tree, const HKEY__& key) {
  std::vector<const RegistryKey*> keys;
  if (key.hive == Hive::kClassesRoot) {
    for (const RegistryKey* part :
         {UserClassesKey(tree, key.path), MachineClassesKey(tree, key.path)}) {
      if (part == nullptr) continue;
      const auto subKeys = part->SubKeys();
      keys.insert(keys.end(), subKeys.begin(), subKeys.end());
    }
  } else if (const RegistryKey* resolved = Resolve(tree, key)) {
    keys = resolved->SubKeys();
  }
  std::vector<std::u16string> names;
  std::set<std::u16string> seen;
  for (const RegistryKey* sub : keys) {
    if (seen.insert(FoldName(sub->name())).second) names.push_back(sub->name());
  }
  std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
    return FoldName(a) < FoldName(b);
  });
  return names;
}

// Copies a name into a caller's buffer of *capacity characters: ERROR_MORE_DATA
// when it does not fit with its terminator, else its length in *capacity.
LONG CopyName(const std::u16string& name, LPWSTR buffer, LPDWORD capacity) {
  if (buffer == nullptr || capacity == nullptr) return ERROR_INVALID_PARAMETER;
  if (name.size() + 1 > *capacity) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
  *capacity = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// Copies value data with the Windows size protocol.
LONG CopyData(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  if (type != nullptr) *type = value.type;
  if (size == nullptr) return ERROR_SUCCESS;
  const auto needed = static_cast<DWORD>(value.data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr) std::memcpy(data, value.data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

LONG Read(const RegistryStore::Query& query) {
  return RegistryStore::Instance().Read(query);
}
LONG Write(const RegistryStore::Change& change) {
  return RegistryStore::Instance().Write(change);
}

// Creates the key of path for a handle: for HKEY_CLASSES_ROOT an existing key
// is opened where it is, a new one is made in the machine hive.
RegistryKey* CreateFor(RegistryTree& tree, Hive hive, const KeyPath& path, bool* created) {
  *created = false;
  switch (hive) {
    case Hive::kMachine:
      return CreateKey(tree.machine, path, created);
    case Hive::kUser:
      return CreateKey(tree.user, path, created);
    case Hive::kClassesRoot:
      if (RegistryKey* existing = Resolve(tree, HKEY__{hive, path})) return existing;
      return CreateKey(tree.machine, Join(kClassesPath, path), created);
  }
  return nullptr;
}

// The parent of the key a handle's path names, and the key's own name, in the
// hive where the key exists (the user's first for HKEY_CLASSES_ROOT).
RegistryKey* ParentOfExisting(RegistryTree& tree, const HKEY__& key) {
  if (key.path.empty()) return nullptr;
  const KeyPath parentPath(key.path.begin(), key.path.end() - 1);
  switch (key.hive) {
    case Hive::kMachine:
      return FindKey(tree.machine, parentPath);
    case Hive::kUser:
      return FindKey(tree.user, parentPath);
    case Hive::kClassesRoot:
      if (UserClassesKey(tree, key.path) != nullptr) return UserClassesKey(tree, parentPath);
      return MachineClassesKey(tree, parentPath);
  }
  return nullptr;
}

}  // namespace

extern "C" LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM,
                                   const LPSECURITY_ATTRIBUTES, PHKEY phkResult,
                                   LPDWORD lpdwDisposition) {
  HKEY__ base{};
  if (!Describe(hKey, &base)) return ERROR_INVALID_HANDLE;
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  const KeyPath path = Join(base.path, SplitPath(lpSubKey));
  if (!WithinLimits(base.hive, path)) return ERROR_INVALID_PARAMETER;
  bool created = false;
  const LONG status = Write([&](RegistryTree& tree, bool* modified) -> LONG {
    if (Resolve(tree, base) == nullptr) return ERROR_KEY_DELETED;
    if (CreateFor(tree, base.hive, path, &created) == nullptr) return ERROR_INVALID_PARAMETER;
    *modified = created;
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  *phkResult = Handles().Add(base.hive, path);
  if (*phkResult == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  if (lpdwDisposition != nullptr) {
    *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  }
  return ERROR_SUCCESS;
}

extern "C" LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
  HKEY__ base{};
  if (!Describe(hKey, &base)) return ERROR_INVALID_HANDLE;
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  const HKEY__ target{base.hive, Join(base.path, SplitPath(lpSubKey))};
  const LONG status = Read([&](const RegistryTree& tree) -> LONG {
    return Resolve(tree, target) != nullptr ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  if (status != ERROR_SUCCESS) return status;
  *phkResult = Handles().Add(target.hive, target.path);
  return *phkResult == nullptr ? ERROR_NOT_ENOUGH_MEMORY : ERROR_SUCCESS;
}

extern "C" LSTATUS RegCloseKey(HKEY hKey) {
  if (hKey == HKEY_CLASSES_ROOT || hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE) {
    return ERROR_SUCCESS;
  }
  return Handles().Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

extern "C" LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType,
                                  const BYTE* lpData, DWORD cbData) {
  HKEY__ key{};
  if (!Describe(hKey, &key)) return ERROR_INVALID_HANDLE;
  if (lpData == nullptr && cbData != 0) return ERROR_NOACCESS;
  const std::u16string name = lpValueName == nullptr ? std::u16string() : lpValueName;
  if (name.size() > korvane::platform::kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
  std::vector<BYTE> data(lpData, lpData + cbData);
  return Write([&](RegistryTree& tree, bool* modified) -> LONG {
    RegistryKey* target = Resolve(tree, key);
    if (target == nullptr) return ERROR_KEY_DELETED;
    target->SetValue(name, dwType, std::move(data));
    *modified = true;
    return ERROR_SUCCESS;
  });
}

extern "C" LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType,
                                    LPBYTE lpData, LPDWORD lpcbData) {
  HKEY__ key{};
  if (!Describe(hKey, &key)) return ERROR_INVALID_HANDLE;
  const std::u16string name = lpValueName == nullptr ? std::u16string() : lpValueName;
  return Read([&](const RegistryTree& tree) -> LONG {
    const RegistryKey* source = Resolve(tree, key);
    if (source == nullptr) return ERROR_KEY_DELETED;
    const RegistryValue* value = source->FindValue(name);
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    return CopyData(*value, lpType, lpData, lpcbData);
  });
}

extern "C" LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName,
                                 LPDWORD, LPWSTR lpClass, LPDWORD lpcchClass,
                                 PFILETIME lpftLastWriteTime) {
  HKEY__ key{};
  if (!Describe(hKey, &key)) return ERROR_INVALID_HANDLE;
  return Read([&](const RegistryTree& tree) -> LONG {
    if (Resolve(tree, key) == nullptr) return ERROR_KEY_DELETED;
    const std::vector<std::u16string> names = SubKeyNames(tree, key);
    if (dwIndex >= names.size()) return ERROR_NO_MORE_ITEMS;
    const LONG status = CopyName(names[dwIndex], lpName, lpcchName);
    if (status != ERROR_SUCCESS) return status;
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) lpClass[0] = 0;
    if (lpcchClass != nullptr) *lpcchClass = 0;
    if (lpftLastWriteTime != nullptr) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
}

extern "C" LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName,
                                 LPDWORD lpcchValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData) {
  HKEY__ key{};
  if (!Describe(hKey, &key)) return ERROR_INVALID_HANDLE;
  return Read([&](const RegistryTree& tree) -> LONG {
    const RegistryKey* source = Resolve(tree, key);
    if (source == nullptr) return ERROR_KEY_DELETED;
    if (dwIndex >= source->values().size()) return ERROR_NO_MORE_ITEMS;
    const RegistryValue& value = source->values()[dwIndex];
    const LONG status = CopyName(value.name, lpValueName, lpcchValueName);
    if (status != ERROR_SUCCESS) return status;
    return CopyData(value, lpType, lpData, lpcbData);
  });
}

extern "C" LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  HKEY__ base{};
  if (!Describe(hKey, &base)) return ERROR_INVALID_HANDLE;
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  const HKEY__ target{base.hive, Join(base.path, SplitPath(lpSubKey))};
  return Write([&](RegistryTree& tree, bool* modified) -> LONG {
    const RegistryKey* doomed = Resolve(tree, target);
    if (doomed == nullptr) return ERROR_FILE_NOT_FOUND;
    RegistryKey* parent = ParentOfExisting(tree, target);
    if (parent == nullptr || doomed->HasSubKeys()) return ERROR_ACCESS_DENIED;
    *modified = parent->RemoveSubKey(target.path.back());
    return ERROR_SUCCESS;
  });
}

extern "C" LSTATUS RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) {
  HKEY__ base{};
  if (!Describe(hKey, &base)) return ERROR_INVALID_HANDLE;
  const HKEY__ target{base.hive, Join(base.path, SplitPath(lpSubKey))};
  const bool keepTarget = lpSubKey == nullptr;
  return Write([&](RegistryTree& tree, bool* modified) -> LONG {
    RegistryKey* doomed = Resolve(tree, target);
    if (doomed == nullptr) return keepTarget ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
    if (keepTarget || target.path.size() == base.path.size()) {
      doomed->RemoveAll();
    } else {
      RegistryKey* parent = ParentOfExisting(tree, target);
      if (parent == nullptr) return ERROR_ACCESS_DENIED;
      parent->RemoveSubKey(target.path.back());
    }
    *modified = true;
    return ERROR_SUCCESS;
  });
}

extern "C" LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  HKEY__ key{};
  if (!Describe(hKey, &key)) return ERROR_INVALID_HANDLE;
  const std::u16string name = lpValueName == nullptr ? std::u16string() : lpValueName;
  return Write([&](RegistryTree& tree, bool* modified) -> LONG {
    RegistryKey* source = Resolve(tree, key);
    if (source == nullptr) return ERROR_KEY_DELETED;
    if (!source->RemoveValue(name)) return ERROR_FILE_NOT_FOUND;
    *modified = true;
    return ERROR_SUCCESS;
  });
}

extern "C" LSTATUS RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD,
                                    LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen,
                                    LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                    LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                    LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
  HKEY__ key{};
  if (!Describe(hKey, &key)) return ERROR_INVALID_HANDLE;
  return Read([&](const RegistryTree& tree) -> LONG {
    const RegistryKey* source = Resolve(tree, key);
    if (source == nullptr) return ERROR_KEY_DELETED;
    const std::vector<std::u16string> names = SubKeyNames(tree, key);
    std::size_t longestKey = 0, longestValueName = 0, longestData = 0;
    for (const std::u16string& name : names) longestKey = std::max(longestKey, name.size());
    for (const RegistryValue& value : source->values()) {
      longestValueName = std::max(longestValueName, value.name.size());
      longestData = std::max(longestData, value.data.size());
    }
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) lpClass[0] = 0;
    if (lpcchClass != nullptr) *lpcchClass = 0;
    if (lpcSubKeys != nullptr) *lpcSubKeys = static_cast<DWORD>(names.size());
    if (lpcbMaxSubKeyLen != nullptr) *lpcbMaxSubKeyLen = static_cast<DWORD>(longestKey);
    if (lpcbMaxClassLen != nullptr) *lpcbMaxClassLen = 0;
    if (lpcValues != nullptr) *lpcValues = static_cast<DWORD>(source->values().size());
    if (lpcbMaxValueNameLen != nullptr) *lpcbMaxValueNameLen = static_cast<DWORD>(longestValueName);
    if (lpcbMaxValueLen != nullptr) *lpcbMaxValueLen = static_cast<DWORD>(longestData);
    if (lpcbSecurityDescriptor != nullptr) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime != nullptr) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
}

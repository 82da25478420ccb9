// The registry's content in memory: two hives (machine and user) of keys with
// values. Names keep their case; lookups ignore it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/wintypes.h"

namespace korvane::platform {

// Windows's limits: a key sits at most 512 levels below its hive, a key name
// holds at most 255 characters and a value name at most 16,383.
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;

// The upper-case form of a name, under which names are compared and sorted.
std::u16string FoldName(std::u16string_view name);

struct RegistryValue {
  std::u16string name;  // empty for the default value
  DWORD type = 0;
  std::vector<BYTE> data;
};

class RegistryKey {
 public:
  explicit RegistryKey(std::u16string name) : name_(std::move(name)) {}
  RegistryKey(const RegistryKey&) = delete;  // keys are owned by their parent
  RegistryKey& operator=(const RegistryKey&) = delete;
  RegistryKey(RegistryKey&&) = default;
  RegistryKey& operator=(RegistryKey&&) = default;
  // Frees the sub keys level by level: no recursion, however deep the tree.
  ~RegistryKey();

  const std::u16string& name() const { return name_; }

  RegistryKey* FindSubKey(std::u16string_view name) const;
  // The existing sub key or a new one; *created tells which.
  RegistryKey* FindOrCreateSubKey(std::u16string_view name, bool* created);
  bool RemoveSubKey(std::u16string_view name);
  void RemoveAll();  // every sub key and value
  bool HasSubKeys() const { return !subKeys_.empty(); }
  // Sub keys in the order of their folded names.
  std::vector<const RegistryKey*> SubKeys() const;

  const RegistryValue* FindValue(std::u16string_view name) const;
  void SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data);
  bool RemoveValue(std::u16string_view name);
  // Values in the order they were first set.
  const std::vector<RegistryValue>& values() const { return values_; }

 private:
  std::u16string name_;
  std::map<std::u16string, std::unique_ptr<RegistryKey>> subKeys_;  // by folded name
  std::vector<RegistryValue> values_;
  std::map<std::u16string, std::size_t> valueIndex_;  // folded name -> position in values_
};

using KeyPath = std::vector<std::u16string>;

// The two hives. Both always hold Software\Classes.
struct RegistryTree {
  RegistryTree();
  RegistryKey machine{u"HKEY_LOCAL_MACHINE"};
  RegistryKey user{u"HKEY_CURRENT_USER"};
};

// The key at path below root, or null.
RegistryKey* FindKey(const RegistryKey& root, const KeyPath& path);
// The key at path below root, created with its missing parents; *created tells
// whether the last one was new.
RegistryKey* CreateKey(RegistryKey& root, const KeyPath& path, bool* created);

}  // namespace korvane::platform

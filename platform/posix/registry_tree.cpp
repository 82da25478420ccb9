// The registry's content in memory.
#include <algorithm>

#include "platform/posix/detail/registry_tree.h"

namespace korvane::platform {

namespace {

// Upper case for ASCII, Latin-1, Greek and Cyrillic, the scripts in which key
// names are written; other characters compare as they are.
char16_t FoldChar(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c < 0x80) return c;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F)) {
    return static_cast<char16_t>(c - 0x20);
  }
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  return c;
}

}  // namespace

std::u16string FoldName(std::u16string_view name) {
  std::u16string folded(name);
  std::transform(folded.begin(), folded.end(), folded.begin(), FoldChar);
  return folded;
}

RegistryKey::~RegistryKey() {
  std::vector<std::unique_ptr<RegistryKey>> doomed;
  const auto adopt = [&doomed](RegistryKey& key) {
    for (auto& entry : key.subKeys_) doomed.push_back(std::move(entry.second));
    key.subKeys_.clear();
  };
  adopt(*this);
  while (!doomed.empty()) {
    std::unique_ptr<RegistryKey> key = std::move(doomed.back());
    doomed.pop_back();
    adopt(*key);
  }  // each key is freed here without sub keys
}

RegistryKey* RegistryKey::FindSubKey(std::u16string_view name) const {
  const auto found = subKeys_.find(FoldName(name));
  return found == subKeys_.end() ? nullptr : found->second.get();
}

RegistryKey* RegistryKey::FindOrCreateSubKey(std::u16string_view name, bool* created) {
  auto& slot = subKeys_[FoldName(name)];
  *created = slot == nullptr;
  if (*created) slot = std::make_unique<RegistryKey>(std::u16string(name));
  return slot.get();
}

bool RegistryKey::RemoveSubKey(std::u16string_view name) {
  return subKeys_.erase(FoldName(name)) != 0;
}

void RegistryKey::RemoveAll() {
  subKeys_.clear();
  values_.clear();
  valueIndex_.clear();
}

std::vector<const RegistryKey*> RegistryKey::SubKeys() const {
  std::vector<const RegistryKey*> keys;
  keys.reserve(subKeys_.size());
  for (const auto& entry : subKeys_) keys.push_back(entry.second.get());
  return keys;
}

const RegistryValue* RegistryKey::FindValue(std::u16string_view name) const {
  const auto found = valueIndex_.find(FoldName(name));
  return found == valueIndex_.end() ? nullptr : &values_[found->second];
}

void RegistryKey::SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data) {
  const auto [slot, added] = valueIndex_.emplace(FoldName(name), values_.size());
  if (added) {
    values_.push_back(RegistryValue{std::u16string(name), type, std::move(data)});
  } else {
    values_[slot->second].type = type;
    values_[slot->second].data = std::move(data);
  }
}

bool RegistryKey::RemoveValue(std::u16string_view name) {
  const auto found = valueIndex_.find(FoldName(name));
  if (found == valueIndex_.end()) return false;
  const std::size_t position = found->second;
  valueIndex_.erase(found);
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(position));
  for (auto& entry : valueIndex_) {
    if (entry.second > position) --entry.second;
  }
  return true;
}

RegistryTree::RegistryTree() {
  const KeyPath classes = {u"Software", u"Classes"};
  bool created = false;
  CreateKey(machine, classes, &created);
  CreateKey(user, classes, &created);
}

RegistryKey* FindKey(const RegistryKey& root, const KeyPath& path) {
  auto* key = const_cast<RegistryKey*>(&root);
  for (const std::u16string& part : path) {
    key = key->FindSubKey(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

RegistryKey* CreateKey(RegistryKey& root, const KeyPath& path, bool* created) {
  RegistryKey* key = &root;
  *created = false;
  for (const std::u16string& part : path) key = key->FindOrCreateSubKey(part, created);
  return key;
}

}  // namespace korvane::platform

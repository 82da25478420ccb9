// The registry file, from any bytes. As a file: it is read whole or refused
// (never in part), and what is read is written back to a file that reads as
// the same tree. As names (first byte odd): keys and values named by any
// UTF-16 units, unpaired surrogates included, come back exactly from the
// file.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/posix/detail/registry_format.h"
#include "platform/posix/winerror.h"
#include "platform/posix/winreg.h"
#include "tests/fuzz/fuzz_input.h"

namespace korvane {
namespace {

using platform::ParseRegistry;
using platform::RegistryTree;
using platform::SerializeRegistry;

void CheckFile(std::string_view text) {
  RegistryTree tree;
  if (ParseRegistry(text, &tree) != ERROR_SUCCESS) return;
  const std::string written = SerializeRegistry(tree);
  RegistryTree again;
  fuzz::Require(ParseRegistry(written, &again) == ERROR_SUCCESS, "a written file reads back");
  fuzz::Require(SerializeRegistry(again) == written, "a written file reads as the same tree");
}

// Splits the units at U+0000 into names: alternately a key below the last
// key and a value of it (its data the name itself).
void CheckNames(const OleString& units) {
  RegistryTree tree;
  platform::RegistryKey* key = &tree.user;
  bool isKey = true;
  std::size_t start = 0;
  for (std::size_t end = 0; end <= units.size(); ++end) {
    if (end < units.size() && units[end] != 0) continue;
    const std::u16string name(units.begin() + start, units.begin() + end);
    start = end + 1;
    if (name.empty()) continue;
    if (isKey && name.size() <= platform::kMaxKeyNameLength) {
      bool created = false;
      key = key->FindOrCreateSubKey(name, &created);
    } else if (!isKey) {
      std::vector<BYTE> data(name.size() * 2);
      for (std::size_t i = 0; i < name.size(); ++i) {
        data[2 * i] = static_cast<BYTE>(name[i] & 0xFF);
        data[2 * i + 1] = static_cast<BYTE>(name[i] >> 8);
      }
      key->SetValue(name, REG_SZ, std::move(data));
    }
    isKey = !isKey;
  }
  const std::string written = SerializeRegistry(tree);
  RegistryTree again;
  fuzz::Require(ParseRegistry(written, &again) == ERROR_SUCCESS, "any names read back");
  fuzz::Require(SerializeRegistry(again) == written, "any names come back exactly");
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if ((data[0] & 1) != 0) {
    korvane::CheckNames(korvane::fuzz::Utf16Units(data + 1, size - 1));
  } else {
    korvane::CheckFile(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  }
  return 0;
}

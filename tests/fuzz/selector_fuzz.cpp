// clang-format off
// Registered in tests/fuzz/CMakeLists.txt as: korvane_fuzzer(selector_fuzz SOURCES selector_fuzz.cpp ../../repcap/selector.cpp ../../repcap/selector_element.cpp)
// clang-format on
//
// The selector parser on any text, with and without ranges. A parse that
// succeeds gives one to the most paths, of one number of levels, no two
// alike, names of name characters only (and none empty unless the text is);
// without ranges every name is a piece of the text, and the same text parses
// the same with ranges.

#include <cstdint>
#include <set>

#include "repcap/selector.h"

using korvane::ParseSelector;
using korvane::SelectorParse;

static void Require(bool promise) {
  if (!promise) __builtin_trap();
}

static void CheckPaths(std::string_view text, const SelectorParse& parse) {
  constexpr std::string_view kNameChars =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_!";
  Require(!parse.paths.empty() && parse.paths.size() <= korvane::kMaxSelectorPaths);
  std::set<korvane::SelectorPath> seen;
  for (const korvane::SelectorPath& path : parse.paths) {
    Require(!path.empty() && path.size() == parse.paths.front().size());
    Require(seen.insert(path).second);
    for (const std::string& name : path) {
      Require((text.empty() || !name.empty()) && name.find_first_not_of(kNameChars) == name.npos);
    }
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const SelectorParse plain = ParseSelector(text, false);
  const SelectorParse ranged = ParseSelector(text, true);
  if (!ranged.fault) CheckPaths(text, ranged);
  if (plain.fault) return 0;
  CheckPaths(text, plain);
  Require(!ranged.fault && ranged.paths == plain.paths);
  for (const korvane::SelectorPath& path : plain.paths) {
    for (const std::string& name : path) Require(text.find(name) != text.npos);
  }
  return 0;
}

// The selector parser on any text, with and without ranges. A parse that
// succeeds gives one to the most paths, of one number of levels, no two
// alike, names of name characters only (and none empty unless the text is);
// without ranges every name is a piece of the text, and the same text parses
// the same with ranges.

#include <cstddef>
#include <cstdint>
#include <set>

#include "repcap/selector.h"
#include "tests/fuzz/fuzz_input.h"

namespace korvane {
namespace {

using fuzz::Require;

void CheckPaths(std::string_view text, const SelectorParse& parse) {
  constexpr std::string_view kNameChars =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_!";
  Require(!parse.paths.empty() && parse.paths.size() <= kMaxSelectorPaths, "one to the most paths");
  Require(parse.paths.size() * parse.paths.front().size() <= kMaxSelectorNames, "the most names");
  std::set<SelectorPath> seen;
  for (const SelectorPath& path : parse.paths) {
    Require(!path.empty() && path.size() == parse.paths.front().size(), "one number of levels");
    Require(seen.insert(path).second, "no two paths alike");
    for (const std::string& name : path) {
      Require(text.empty() || !name.empty(), "no empty name");
      Require(name.find_first_not_of(kNameChars) == name.npos, "names of name characters");
    }
  }
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const SelectorParse plain = ParseSelector(text, false);
  const SelectorParse ranged = ParseSelector(text, true);
  if (!ranged.fault) CheckPaths(text, ranged);
  if (plain.fault) return 0;
  CheckPaths(text, plain);
  Require(!ranged.fault && ranged.paths == plain.paths, "ranges allowed change nothing else");
  for (const SelectorPath& path : plain.paths) {
    for (const std::string& name : path)
      Require(text.find(name) != text.npos, "names from the text");
  }
  return 0;
}

#include "repcap/selector_pattern.h"

#include <regex>

namespace korvane {
namespace {

// Groups: 1 the element; 2 the range form, 3 first prefix, 4 first number,
// 5 last prefix, 6 last number; 7 the name form, 8 the name. The prefixes repeat lazily; as
// no prefix character is a digit, each prefix is still the whole run of
// letters before its number.
constexpr const char* kElementPattern =
    R"(^(([ \t]*([a-zA-Z_!]+?)([0-9]+)[ \t]*-[ \t]*([a-zA-Z_!]+?)([0-9]+)[ \t]*))"
    R"(|([ \t]*([a-zA-Z_!0-9]+)[ \t]*))$)";

const std::regex& ElementPattern() {
  static const std::regex pattern(kElementPattern, std::regex::ECMAScript | std::regex::optimize);
  return pattern;
}

}  // namespace

std::optional<SelectorElement> MatchSelectorPattern(std::string_view text) {
  std::match_results<std::string_view::const_iterator> match;
  if (!std::regex_match(text.begin(), text.end(), match, ElementPattern())) return std::nullopt;
  const auto group = [&](int i) { return text.substr(match.position(i), match.length(i)); };
  SelectorElement element;
  element.is_range = match[2].matched;
  if (element.is_range) {
    element.first_prefix = group(3);
    element.first_number = group(4);
    element.last_prefix = group(5);
    element.last_number = group(6);
  } else {
    element.name = group(8);
  }
  return element;
}

}  // namespace korvane

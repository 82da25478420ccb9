#include "standins/ivi_config/text.h"

#include <algorithm>

namespace korvane::ivi_config {

namespace {

constexpr std::string_view kBlanks = " \t\r";

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

SplitText SplitAt(std::string_view text, char separator) {
  const auto at = text.find(separator);
  if (at == std::string_view::npos) return {Trim(text), {}, false};
  return {Trim(text.substr(0, at)), Trim(text.substr(at + 1)), true};
}

SplitText SplitWord(std::string_view text) {
  const auto trimmed = Trim(text);
  const auto at = trimmed.find_first_of(" \t");
  if (at == std::string_view::npos) return {trimmed, {}, false};
  return {trimmed.substr(0, at), Trim(trimmed.substr(at + 1)), true};
}

}  // namespace korvane::ivi_config

#include "repcap/selector_element.h"

#include <cstddef>

namespace korvane {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsPrefixChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '!';
}
bool IsNameChar(char c) {
  return IsPrefixChar(c) || IsDigit(c);
}

// Reads an element from left to right. Each part of the grammar is followed
// by a part of a disjoint character class, so every part is simply the
// longest run of its class: no step ever needs to be taken back.
class ElementCursor {
 public:
  explicit ElementCursor(std::string_view text) : text_(text) {}

  template <typename Class>
  std::string_view Run(Class in_class) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && in_class(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  bool Take(char c) {
    if (pos_ == text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  bool AtEnd() const { return pos_ == text_.size(); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::optional<SelectorElement> ScanRange(std::string_view text) {
  ElementCursor cursor(text);
  SelectorElement range;
  range.is_range = true;
  cursor.Run(IsBlank);
  range.first_prefix = cursor.Run(IsPrefixChar);
  range.first_number = cursor.Run(IsDigit);
  cursor.Run(IsBlank);
  if (range.first_prefix.empty() || range.first_number.empty() || !cursor.Take('-'))
    return std::nullopt;
  cursor.Run(IsBlank);
  range.last_prefix = cursor.Run(IsPrefixChar);
  range.last_number = cursor.Run(IsDigit);
  cursor.Run(IsBlank);
  if (range.last_prefix.empty() || range.last_number.empty() || !cursor.AtEnd())
    return std::nullopt;
  return range;
}

std::optional<SelectorElement> ScanName(std::string_view text) {
  ElementCursor cursor(text);
  cursor.Run(IsBlank);
  SelectorElement name;
  name.name = cursor.Run(IsNameChar);
  cursor.Run(IsBlank);
  if (name.name.empty() || !cursor.AtEnd()) return std::nullopt;
  return name;
}

}  // namespace

std::optional<SelectorElement> ScanSelectorElement(std::string_view text) {
  if (std::optional<SelectorElement> range = ScanRange(text)) return range;
  return ScanName(text);
}

}  // namespace korvane

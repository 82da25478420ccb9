// Small text helpers for reading the store file: trimming, case-blind comparison of ASCII words.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_TEXT_H
#define KORVANE_PLATFORM_IVI_CONFIG_TEXT_H

#include <string_view>
#include <utility>

namespace korvane::ivi_config {

// text without spaces and tabs (and a carriage return) at both ends.
std::string_view Trim(std::string_view text);

// Compares ASCII letters without regard to case; other bytes must match exactly.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Splits text at the first separator; the parts are trimmed. Without a separator the first part
// is the whole (trimmed) text and found is false.
struct SplitText {
  std::string_view head;
  std::string_view tail;
  bool found = false;
};
SplitText SplitAt(std::string_view text, char separator);

// Splits at the first space or tab: a leading word and the trimmed rest.
SplitText SplitWord(std::string_view text);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_TEXT_H

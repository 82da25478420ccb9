// UTF-8 <-> UTF-16 conversion used inside the platform layer (file names,
// module paths, the registry file). Malformed input becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace korvane::platform {

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// A null-terminated wide string (null is empty) in UTF-8.
inline std::string Utf8Of(const char16_t* text) {
  return text == nullptr ? std::string() : Utf16ToUtf8(text);
}

}  // namespace korvane::platform

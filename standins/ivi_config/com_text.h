// Texts between the store (UTF-8) and COM (UTF-16 BSTRs).
#ifndef KORVANE_PLATFORM_IVI_CONFIG_COM_TEXT_H
#define KORVANE_PLATFORM_IVI_CONFIG_COM_TEXT_H

#include <string>
#include <string_view>

#include "platform/ole_string.h"

namespace korvane::ivi_config {

// Both throw std::bad_alloc when memory runs out; malformed input becomes U+FFFD.
OleString Utf8ToOle(std::string_view utf8);
std::string OleToUtf8(OleStringView text);

// A new BSTR holding utf8, in *out: S_OK, E_POINTER or E_OUTOFMEMORY.
HRESULT CopyText(std::string_view utf8, BSTR* out);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_COM_TEXT_H

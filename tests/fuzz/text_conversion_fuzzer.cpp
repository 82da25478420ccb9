// The text conversions between UTF-8 and UTF-16, from any bytes: the size a
// conversion announces is the size it writes, strict conversions succeed
// exactly on well-formed input and then round-trip unchanged, and what the
// lenient ones write is always well-formed.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_input.h"

namespace korvane {
namespace {

using fuzz::Require;

// Converts with `flags`; false when the conversion fails.
bool ToWide(std::string_view bytes, DWORD flags, OleString& out) {
  const int size = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(CP_UTF8, flags, bytes.data(), size, nullptr, 0);
  if (needed <= 0) {
    Require(GetLastError() == ERROR_NO_UNICODE_TRANSLATION, "only malformed text fails");
    return false;
  }
  out.assign(static_cast<size_t>(needed), OLECHAR(0));
  const int written = MultiByteToWideChar(CP_UTF8, flags, bytes.data(), size, out.data(), needed);
  Require(written == needed, "UTF-8 to UTF-16 writes the size it announced");
  return true;
}

bool ToUtf8(OleStringView wide, DWORD flags, std::string& out) {
  const int size = static_cast<int>(wide.size());
  const int needed =
      WideCharToMultiByte(CP_UTF8, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) {
    Require(GetLastError() == ERROR_NO_UNICODE_TRANSLATION, "only malformed text fails");
    return false;
  }
  out.assign(static_cast<size_t>(needed), '\0');
  const int written =
      WideCharToMultiByte(CP_UTF8, flags, wide.data(), size, out.data(), needed, nullptr, nullptr);
  Require(written == needed, "UTF-16 to UTF-8 writes the size it announced");
  return true;
}

void CheckUtf8Input(std::string_view bytes) {
  OleString lenient, strict;
  Require(ToWide(bytes, 0, lenient), "lenient UTF-8 decoding never fails");
  std::string back;
  Require(ToUtf8(lenient, WC_ERR_INVALID_CHARS, back), "decoded UTF-8 is well-formed UTF-16");
  if (!ToWide(bytes, MB_ERR_INVALID_CHARS, strict)) return;
  Require(strict == lenient, "well-formed input decodes alike, strict or not");
  Require(back == bytes, "well-formed UTF-8 round-trips unchanged");
}

void CheckUtf16Input(OleStringView wide) {
  std::string lenient, strict;
  Require(ToUtf8(wide, 0, lenient), "lenient UTF-16 encoding never fails");
  OleString back;
  Require(ToWide(lenient, MB_ERR_INVALID_CHARS, back), "encoded UTF-16 is well-formed UTF-8");
  if (!ToUtf8(wide, WC_ERR_INVALID_CHARS, strict)) return;
  Require(strict == lenient, "well-formed input encodes alike, strict or not");
  Require(back == wide, "well-formed UTF-16 round-trips unchanged");
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;  // an empty text is a parameter error, not a text
  korvane::CheckUtf8Input(std::string_view(reinterpret_cast<const char*>(data), size));
  const OleString wide = korvane::fuzz::Utf16Units(data, size);
  if (!wide.empty()) korvane::CheckUtf16Input(wide);
  return 0;
}

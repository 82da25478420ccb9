#include "diag/trace_text.h"

#include <charconv>
#include <limits>

#include "platform/ole_string.h"

namespace korvane {

namespace {

template <class... Args>
void AppendChars(std::string& out, Args... args) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, args...);
  if (result.ec == std::errc()) out.append(buffer, result.ptr);
}

}  // namespace

void AppendDecimal(std::string& out, int64_t value) {
  AppendChars(out, value);
}

void AppendUnsigned(std::string& out, uint64_t value) {
  AppendChars(out, value);
}

void AppendHresult(std::string& out, uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += "0x";
  for (int shift = 28; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

// std::to_chars with a format and a precision writes what printf writes with
// the same conversion, without consulting the locale.
void AppendGeneral15(std::string& out, double value) {
  AppendChars(out, value, std::chars_format::general, 15);
}

void AppendScientific(std::string& out, double value) {
  AppendChars(out, value, std::chars_format::scientific, 6);
}

namespace {

bool IsHighSurrogate(OLECHAR c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(OLECHAR c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Whether the unit at `i` cannot stand in an XML document: a surrogate
// without its partner, or one of the two non-characters U+FFFE and U+FFFF.
bool IsUnfitForXml(const OLECHAR* text, size_t length, size_t i) {
  const OLECHAR c = text[i];
  if (c == 0xFFFE || c == 0xFFFF) return true;
  if (IsHighSurrogate(c)) return i + 1 == length || !IsLowSurrogate(text[i + 1]);
  if (IsLowSurrogate(c)) return i == 0 || !IsHighSurrogate(text[i - 1]);
  return false;
}

}  // namespace

void AppendAnsiText(std::string& out, const OLECHAR* text, size_t length) {
  if (length == 0 || length > static_cast<size_t>(std::numeric_limits<int>::max())) return;
  OleString fitted;  // made only when a unit must be replaced
  for (size_t i = 0; i < length; ++i) {
    if (!IsUnfitForXml(text, length, i)) continue;
    if (fitted.empty()) fitted.assign(text, length);
    fitted[i] = 0xFFFD;
  }
  if (!fitted.empty()) text = fitted.data();
  const int wide = static_cast<int>(length);
  const int needed = WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return;
  const size_t start = out.size();
  out.resize(start + static_cast<size_t>(needed));
  const int written =
      WideCharToMultiByte(CP_ACP, 0, text, wide, out.data() + start, needed, nullptr, nullptr);
  out.resize(start + static_cast<size_t>(written > 0 ? written : 0));
}

}  // namespace korvane

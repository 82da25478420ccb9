#include "diag/trace_text.h"

#include <charconv>
#include <limits>

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

void AppendAnsiText(std::string& out, const OLECHAR* text, size_t length) {
  if (length == 0 || length > static_cast<size_t>(std::numeric_limits<int>::max())) return;
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

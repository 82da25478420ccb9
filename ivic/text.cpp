#include "ivic/text.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace korvane::ivic {

std::string ToThreadAnsi(OleStringView wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int needed =
      WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) throw std::bad_alloc();
  std::string ansi(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), size, ansi.data(), needed, nullptr, nullptr);
  return ansi;
}

ScopedBstr ToBstr(ViConstString text) {
  if (text == nullptr) return ScopedBstr();
  return ToBstr(std::string_view(text));
}

ScopedBstr ToBstr(std::string_view ansi) {
  // Plain ASCII is the same text in every ANSI code page: widened in place, in one allocation.
  if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return (c & 0x80) == 0; })) {
    ScopedBstr bstr(nullptr, static_cast<UINT>(ansi.size()));
    std::copy(ansi.begin(), ansi.end(), bstr.Get());
    return bstr;
  }
  const OleString wide = AnsiToOle(ansi);
  return ScopedBstr(wide.data(), static_cast<UINT>(wide.size()));
}

ViStatus ReturnString(const char* value, size_t length, ViInt32 bufferSize, ViChar* buffer) {
  const bool usable = buffer != nullptr && bufferSize != 0;
  if (value == nullptr) {
    if (!usable) return 1;
    buffer[0] = '\0';
    return VI_SUCCESS;
  }
  const auto needed = static_cast<ViStatus>(length + 1);
  if (!usable) return needed;
  if (bufferSize < 0 || length + 1 <= static_cast<size_t>(bufferSize)) {
    std::memcpy(buffer, value, length);
    buffer[length] = '\0';
    return VI_SUCCESS;
  }
  const auto kept = static_cast<size_t>(bufferSize) - 1;
  std::memcpy(buffer, value, kept);
  buffer[kept] = '\0';
  return needed;
}

ViStatus ReturnString(BSTR value, ViInt32 bufferSize, ViChar* buffer) {
  if (value == nullptr) return ReturnString(nullptr, 0, bufferSize, buffer);
  const std::string ansi = ToThreadAnsi(BstrView(value));
  return ReturnString(ansi.data(), ansi.size(), bufferSize, buffer);
}

}  // namespace korvane::ivic

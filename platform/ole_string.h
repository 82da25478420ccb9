// Wide (OLECHAR, UTF-16) strings and their conversion to and from the ANSI code
// page, the same on both builds.
#pragma once

#include <new>
#include <string>
#include <string_view>

#include "platform/win32.h"

using OleString = std::basic_string<OLECHAR>;
using OleStringView = std::basic_string_view<OLECHAR>;

// Text of the ANSI code page (CP_ACP) as UTF-16. Throws std::bad_alloc when
// memory runs out.
inline OleString AnsiToOle(std::string_view ansi) {
  if (ansi.empty()) return {};
  const int size = static_cast<int>(ansi.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  if (needed <= 0) throw std::bad_alloc();
  OleString wide(static_cast<std::size_t>(needed), OLECHAR{});
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), needed);
  return wide;
}

// UTF-16 text in the ANSI code page (characters it lacks become its default
// character on Windows). Throws std::bad_alloc when memory runs out.
inline std::string OleToAnsi(OleStringView wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int needed =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) throw std::bad_alloc();
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), needed, nullptr, nullptr);
  return ansi;
}

// A null-terminated wide string as a view; null is the empty string.
inline OleStringView OleView(const OLECHAR* text) {
  return text == nullptr ? OleStringView() : OleStringView(text);
}

// A BSTR as a view of its full length (embedded NULs included); null is empty.
inline OleStringView BstrView(BSTR text) {
  return text == nullptr ? OleStringView() : OleStringView(text, SysStringLen(text));
}

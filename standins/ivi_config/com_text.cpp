#include "standins/ivi_config/com_text.h"

#include <new>

namespace korvane::ivi_config {

OleString Utf8ToOle(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (needed <= 0) throw std::bad_alloc();
  OleString wide(static_cast<std::size_t>(needed), OLECHAR{});
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), needed);
  return wide;
}

std::string OleToUtf8(OleStringView text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int needed =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) throw std::bad_alloc();
  std::string utf8(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), needed, nullptr, nullptr);
  return utf8;
}

HRESULT CopyText(std::string_view utf8, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    const OleString wide = Utf8ToOle(utf8);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace korvane::ivi_config

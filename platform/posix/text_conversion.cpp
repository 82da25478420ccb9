// UTF-8 <-> UTF-16 conversion: MultiByteToWideChar, WideCharToMultiByte and
// the helpers the rest of the layer uses. The ANSI and OEM code pages are
// UTF-8 on this system.
#include <cstring>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/detail/utf.h"
#include "platform/posix/winnls.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSupportedCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
         codePage == CP_UTF8;
}

// Decodes one code point from UTF-8 at text[*pos], advancing *pos past it. A
// malformed sequence yields nothing valid: *valid becomes false and *pos moves
// past its longest well-formed prefix (at least one byte).
char32_t DecodeUtf8(const unsigned char* text, std::size_t size, std::size_t* pos, bool* valid) {
  const unsigned char lead = text[*pos];
  *valid = true;
  ++*pos;
  if (lead < 0x80) return lead;
  int trailing = 0;
  char32_t code = 0;
  unsigned char low = 0x80, high = 0xBF;  // range allowed for the first trail byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    trailing = 1;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trailing = 2;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no UTF-16 surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trailing = 3;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    *valid = false;
    return kReplacement;
  }
  for (int i = 0; i < trailing; ++i) {
    if (*pos >= size) {
      *valid = false;
      return kReplacement;
    }
    const unsigned char byte = text[*pos];
    if (byte < low || byte > high) {
      *valid = false;
      return kReplacement;
    }
    low = 0x80;
    high = 0xBF;
    code = (code << 6) | (byte & 0x3F);
    ++*pos;
  }
  return code;
}

// Decodes one code point from UTF-16; a lone surrogate is invalid.
char32_t DecodeUtf16(const char16_t* text, std::size_t size, std::size_t* pos, bool* valid) {
  const char16_t unit = text[(*pos)++];
  *valid = true;
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF && *pos < size && text[*pos] >= 0xDC00 && text[*pos] <= 0xDFFF) {
    const char16_t low = text[(*pos)++];
    return 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (low - 0xDC00);
  }
  *valid = false;
  return kReplacement;
}

template <class Sink>
void EncodeUtf16(char32_t code, Sink&& sink) {
  if (code < 0x10000) {
    sink(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    sink(static_cast<char16_t>(0xD800 + (code >> 10)));
    sink(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

template <class Sink>
void EncodeUtf8(char32_t code, Sink&& sink) {
  if (code < 0x80) {
    sink(static_cast<char>(code));
  } else if (code < 0x800) {
    sink(static_cast<char>(0xC0 | (code >> 6)));
    sink(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    sink(static_cast<char>(0xE0 | (code >> 12)));
    sink(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    sink(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    sink(static_cast<char>(0xF0 | (code >> 18)));
    sink(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    sink(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    sink(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// Converts the whole input through sink; returns false at the first malformed
// sequence when strict, true otherwise (malformed input becomes U+FFFD).
template <class Sink>
bool Utf8ToUtf16Units(const char* text, std::size_t size, bool strict, Sink&& sink) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::size_t pos = 0;
  while (pos < size) {
    bool valid = true;
    const char32_t code = DecodeUtf8(bytes, size, &pos, &valid);
    if (!valid && strict) return false;
    EncodeUtf16(code, sink);
  }
  return true;
}

template <class Sink>
bool Utf16ToUtf8Units(const char16_t* text, std::size_t size, bool strict, bool* replaced,
                      Sink&& sink) {
  std::size_t pos = 0;
  while (pos < size) {
    bool valid = true;
    const char32_t code = DecodeUtf16(text, size, &pos, &valid);
    if (!valid) {
      if (strict) return false;
      *replaced = true;
    }
    EncodeUtf8(code, sink);
  }
  return true;
}

// Writes into a caller's buffer of `capacity` units, counting all units; a
// capacity of 0 only counts.
template <class Unit>
struct BoundedWriter {
  Unit* buffer;
  std::size_t capacity;
  std::size_t count = 0;
  void operator()(Unit unit) {
    if (count < capacity) buffer[count] = unit;
    ++count;
  }
};

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

extern "C" UINT GetACP() {
  return CP_UTF8;
}

extern "C" UINT GetOEMCP() {
  return CP_UTF8;
}

extern "C" int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr,
                                   int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar) {
  if (!IsSupportedCodePage(CodePage)) return Fail(ERROR_INVALID_PARAMETER);
  if (CodePage == CP_UTF8 && (dwFlags & ~MB_ERR_INVALID_CHARS) != 0) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && lpWideCharStr == nullptr) ||
      (cchWideChar > 0 && static_cast<const void*>(lpMultiByteStr) == lpWideCharStr)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const std::size_t size =
      cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
  BoundedWriter<char16_t> writer{lpWideCharStr, static_cast<std::size_t>(cchWideChar)};
  const bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
  if (!Utf8ToUtf16Units(lpMultiByteStr, size, strict, writer)) {
    return Fail(ERROR_NO_UNICODE_TRANSLATION);
  }
  if (cchWideChar > 0 && writer.count > writer.capacity) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(writer.count);
}

extern "C" int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr,
                                   int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                   LPCCH lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  if (!IsSupportedCodePage(CodePage)) return Fail(ERROR_INVALID_PARAMETER);
  if (CodePage == CP_UTF8) {
    if ((dwFlags & ~WC_ERR_INVALID_CHARS) != 0) return Fail(ERROR_INVALID_FLAGS);
    if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
  }
  if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && lpMultiByteStr == nullptr) ||
      (cbMultiByte > 0 && static_cast<const void*>(lpWideCharStr) == lpMultiByteStr)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const std::size_t size = cchWideChar == -1 ? std::char_traits<char16_t>::length(lpWideCharStr) + 1
                                             : static_cast<std::size_t>(cchWideChar);
  BoundedWriter<char> writer{lpMultiByteStr, static_cast<std::size_t>(cbMultiByte)};
  const bool strict = (dwFlags & WC_ERR_INVALID_CHARS) != 0;
  bool replaced = false;
  if (!Utf16ToUtf8Units(lpWideCharStr, size, strict, &replaced, writer)) {
    return Fail(ERROR_NO_UNICODE_TRANSLATION);
  }
  if (cbMultiByte > 0 && writer.count > writer.capacity) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = replaced ? TRUE : FALSE;
  return static_cast<int>(writer.count);
}

namespace korvane::platform {

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string result;
  result.reserve(text.size());
  bool replaced = false;
  Utf16ToUtf8Units(text.data(), text.size(), false, &replaced,
                   [&result](char unit) { result.push_back(unit); });
  return result;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string result;
  result.reserve(text.size());
  Utf8ToUtf16Units(text.data(), text.size(), false,
                   [&result](char16_t unit) { result.push_back(unit); });
  return result;
}

}  // namespace korvane::platform

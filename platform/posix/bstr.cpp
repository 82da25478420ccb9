// BSTR strings: a 4-byte byte length, then the UTF-16 text, then a terminating
// NUL; the BSTR points at the text.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/oleauto.h"

namespace {

using LengthPrefix = std::uint32_t;
constexpr std::size_t kPrefixSize = sizeof(LengthPrefix);
constexpr UINT kMaxByteLength = 0x7FFFFFFF - kPrefixSize - sizeof(OLECHAR);

LengthPrefix* PrefixOf(BSTR text) {
  return reinterpret_cast<LengthPrefix*>(reinterpret_cast<BYTE*>(text) - kPrefixSize);
}

// A new BSTR of byteLength bytes, copied from `bytes` when not null and zeroed
// otherwise; always followed by a NUL character.
BSTR AllocateBytes(const void* bytes, UINT byteLength) {
  if (byteLength > kMaxByteLength) return nullptr;
  auto* block = static_cast<BYTE*>(std::malloc(kPrefixSize + byteLength + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  const LengthPrefix prefix = byteLength;
  std::memcpy(block, &prefix, kPrefixSize);
  BYTE* text = block + kPrefixSize;
  if (bytes != nullptr) {
    std::memcpy(text, bytes, byteLength);
  } else {
    std::memset(text, 0, byteLength);
  }
  std::memset(text + byteLength, 0, sizeof(OLECHAR));
  return reinterpret_cast<BSTR>(text);
}

}  // namespace

extern "C" BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<OLECHAR>::length(text)));
}

extern "C" BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (length > kMaxByteLength / sizeof(OLECHAR)) return nullptr;
  return AllocateBytes(text, static_cast<UINT>(length * sizeof(OLECHAR)));
}

extern "C" BSTR SysAllocStringByteLen(LPCSTR bytes, UINT byteLength) {
  return AllocateBytes(bytes, byteLength);
}

extern "C" INT SysReAllocString(BSTR* target, const OLECHAR* text) {
  if (target == nullptr) return FALSE;
  if (text == nullptr) {
    SysFreeString(*target);
    *target = nullptr;
    return TRUE;
  }
  return SysReAllocStringLen(target, text,
                             static_cast<UINT>(std::char_traits<OLECHAR>::length(text)));
}

// A null `text` keeps the old content (as far as it reaches) and zeroes the rest.
extern "C" INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length) {
  if (target == nullptr) return FALSE;
  BSTR replacement = SysAllocStringLen(text, length);
  if (replacement == nullptr) return FALSE;
  if (text == nullptr && *target != nullptr) {
    const UINT kept = SysStringLen(*target) < length ? SysStringLen(*target) : length;
    std::memcpy(replacement, *target, kept * sizeof(OLECHAR));
  }
  SysFreeString(*target);
  *target = replacement;
  return TRUE;
}

extern "C" UINT SysStringLen(BSTR text) {
  return text == nullptr ? 0 : *PrefixOf(text) / sizeof(OLECHAR);
}

extern "C" UINT SysStringByteLen(BSTR text) {
  return text == nullptr ? 0 : *PrefixOf(text);
}

extern "C" void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(PrefixOf(text));
}

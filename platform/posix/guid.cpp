// The text form of GUIDs: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include <cstring>
#include <string>

#include "platform/posix/detail/guid_text.h"
#include "platform/posix/objbase.h"

namespace {

constexpr int kGuidTextLength = 38;  // without terminator

int HexValue(OLECHAR c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Reads `digits` hexadecimal digits at text[*pos], advancing *pos.
bool ReadHex(const OLECHAR* text, int* pos, int digits, unsigned long long* value) {
  *value = 0;
  for (int i = 0; i < digits; ++i) {
    const int digit = HexValue(text[*pos]);
    if (digit < 0) return false;
    *value = (*value << 4) | static_cast<unsigned>(digit);
    ++*pos;
  }
  return true;
}

bool Expect(const OLECHAR* text, int* pos, OLECHAR c) {
  if (text[*pos] != c) return false;
  ++*pos;
  return true;
}

bool ParseGuid(const OLECHAR* text, GUID* guid) {
  if (std::char_traits<OLECHAR>::length(text) != kGuidTextLength) return false;
  int pos = 0;
  unsigned long long value = 0;
  GUID parsed{};
  if (!Expect(text, &pos, u'{') || !ReadHex(text, &pos, 8, &value)) return false;
  parsed.Data1 = static_cast<DWORD>(value);
  if (!Expect(text, &pos, u'-') || !ReadHex(text, &pos, 4, &value)) return false;
  parsed.Data2 = static_cast<WORD>(value);
  if (!Expect(text, &pos, u'-') || !ReadHex(text, &pos, 4, &value)) return false;
  parsed.Data3 = static_cast<WORD>(value);
  if (!Expect(text, &pos, u'-')) return false;
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && !Expect(text, &pos, u'-')) return false;
    if (!ReadHex(text, &pos, 2, &value)) return false;
    parsed.Data4[i] = static_cast<BYTE>(value);
  }
  if (!Expect(text, &pos, u'}')) return false;
  *guid = parsed;
  return true;
}

void AppendHex(OLECHAR* out, int* pos, unsigned long long value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = digits - 1; i >= 0; --i) out[(*pos)++] = kDigits[(value >> (4 * i)) & 0xF];
}

HRESULT AllocateGuidText(REFGUID guid, LPOLESTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = static_cast<LPOLESTR>(CoTaskMemAlloc((kGuidTextLength + 1) * sizeof(OLECHAR)));
  if (*text == nullptr) return E_OUTOFMEMORY;
  StringFromGUID2(guid, *text, kGuidTextLength + 1);
  return S_OK;
}

}  // namespace

extern "C" int StringFromGUID2(REFGUID rguid, LPOLESTR buffer, int cchMax) {
  if (buffer == nullptr || cchMax <= kGuidTextLength) return 0;
  int pos = 0;
  buffer[pos++] = u'{';
  AppendHex(buffer, &pos, rguid.Data1, 8);
  buffer[pos++] = u'-';
  AppendHex(buffer, &pos, rguid.Data2, 4);
  buffer[pos++] = u'-';
  AppendHex(buffer, &pos, rguid.Data3, 4);
  buffer[pos++] = u'-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) buffer[pos++] = u'-';
    AppendHex(buffer, &pos, rguid.Data4[i], 2);
  }
  buffer[pos++] = u'}';
  buffer[pos++] = 0;
  return pos;
}

extern "C" HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  if (text == nullptr) {
    *clsid = CLSID_NULL;
    return S_OK;
  }
  if (text[0] != u'{') return CLSIDFromProgID(text, clsid);
  if (ParseGuid(text, clsid)) return S_OK;
  *clsid = CLSID_NULL;
  return CO_E_CLASSSTRING;
}

extern "C" HRESULT IIDFromString(LPCOLESTR text, LPIID iid) {
  if (iid == nullptr) return E_INVALIDARG;
  if (text == nullptr) {
    *iid = IID_NULL;
    return S_OK;
  }
  return ParseGuid(text, iid) ? S_OK : E_INVALIDARG;
}

extern "C" HRESULT StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz) {
  return AllocateGuidText(rclsid, lplpsz);
}

extern "C" HRESULT StringFromIID(REFIID rclsid, LPOLESTR* lplpsz) {
  return AllocateGuidText(rclsid, lplpsz);
}

namespace korvane::platform {

std::u16string GuidText(REFGUID guid) {
  OLECHAR text[kGuidTextLength + 1];
  StringFromGUID2(guid, text, kGuidTextLength + 1);
  return text;
}

}  // namespace korvane::platform

#pragma once
// GUIDs written once as registry text ("{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}")
// and turned into GUID values at compile time, so that code, registry
// scripts and type library source share one spelling.

#include <cstdint>

#include "platform/win32.h"

namespace korvane {

constexpr uint32_t HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
  throw "not a hexadecimal digit";  // stops compilation in a constant expression
}

constexpr uint32_t HexField(const char* text, int first, int digits) {
  uint32_t value = 0;
  for (int i = 0; i < digits; ++i) value = value * 16 + HexDigit(text[first + i]);
  return value;
}

// Text in braces, 38 characters.
constexpr GUID GuidFromText(const char (&text)[39]) {
  if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
      text[37] != '}') {
    throw "malformed GUID text";
  }
  GUID guid{};
  guid.Data1 = HexField(text, 1, 8);
  guid.Data2 = static_cast<uint16_t>(HexField(text, 10, 4));
  guid.Data3 = static_cast<uint16_t>(HexField(text, 15, 4));
  guid.Data4[0] = static_cast<uint8_t>(HexField(text, 20, 2));
  guid.Data4[1] = static_cast<uint8_t>(HexField(text, 22, 2));
  for (int i = 0; i < 6; ++i)
    guid.Data4[2 + i] = static_cast<uint8_t>(HexField(text, 25 + 2 * i, 2));
  return guid;
}

}  // namespace korvane

// The registry file's text form (see detail/registry_format.h).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/posix/detail/registry_format.h"
#include "platform/posix/winerror.h"
#include "platform/posix/winreg.h"

namespace korvane::platform {

namespace {

constexpr std::string_view kHeader = "KORVANE REGISTRY 1";

// Appends a byte as two lower-case hex digits.
void AppendHex2(std::string& out, unsigned value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += kDigits[(value >> 4) & 0xF];
  out += kDigits[value & 0xF];
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// --- Names and strings as bytes ----------------------------------------------

// UTF-8, with each unpaired surrogate encoded like any other code point below
// 0x10000, so that every UTF-16 text has exactly one byte form.
std::string ToBytes(std::u16string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (code < 0x80) {
      bytes += static_cast<char>(code);
    } else if (code < 0x800) {
      bytes += static_cast<char>(0xC0 | (code >> 6));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      bytes += static_cast<char>(0xE0 | (code >> 12));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | (code >> 18));
      bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return bytes;
}

// The inverse of ToBytes; null for bytes it never writes (overlong forms,
// stray continuation bytes, code points above 0x10FFFF).
std::optional<std::u16string> FromBytes(std::string_view bytes) {
  std::u16string text;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead < 0x80) {
      length = 1, code = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, code = lead & 0x07, least = 0x10000;
    } else {
      return std::nullopt;
    }
    if (bytes.size() - i < length) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF) return std::nullopt;
    if (code >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      text += static_cast<char16_t>(code);
    }
    i += length;
  }
  return text;
}

// The bytes of an unpaired surrogate start with ED A0..ED BF; they are always
// escaped, so that the file stays valid UTF-8.
bool StartsSurrogate(const std::string& bytes, std::size_t i) {
  return static_cast<unsigned char>(bytes[i]) == 0xED && i + 1 < bytes.size() &&
         static_cast<unsigned char>(bytes[i + 1]) >= 0xA0;
}

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// --- Writing ------------------------------------------------------------------

std::string QuoteText(std::u16string_view text) {
  const std::string bytes = ToBytes(text);
  std::string quoted = "\"";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\\' || c == '"') {
      quoted.append(1, '\\').append(1, c);
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (IsControl(c)) {
      AppendHex2(quoted.append("\\x"), static_cast<unsigned char>(c));
    } else if (StartsSurrogate(bytes, i)) {
      for (std::size_t end = i + 3; i < end; ++i) {
        AppendHex2(quoted.append("\\x"), static_cast<unsigned char>(bytes[i]));
      }
      --i;
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  return quoted;
}

std::string EscapeKeyName(std::u16string_view name) {
  const std::string bytes = ToBytes(name);
  std::string escaped;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    const std::size_t count = StartsSurrogate(bytes, i) ? 3 : 1;
    if (count == 3 || c == '%' || c == '\\' || IsControl(c)) {
      for (std::size_t end = i + count; i < end; ++i) {
        AppendHex2(escaped.append("%"), static_cast<unsigned char>(bytes[i]));
      }
      --i;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// The data as a string when it is exactly one terminated UTF-16 string
// without embedded NULs.
std::optional<std::u16string> AsPlainString(const std::vector<BYTE>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::u16string text(data.size() / 2, u'\0');
  std::memcpy(text.data(), data.data(), data.size());
  if (text.back() != 0) return std::nullopt;
  text.pop_back();
  if (text.find(u'\0') != std::u16string::npos) return std::nullopt;
  return text;
}

std::string FormatData(const RegistryValue& value) {
  if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
    if (const auto text = AsPlainString(value.data)) {
      return (value.type == REG_EXPAND_SZ ? "expand:" : "") + QuoteText(*text);
    }
  }
  if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD)) {
    DWORD number = 0;
    std::memcpy(&number, value.data.data(), sizeof(number));
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "dword:%08x", number);
    return buffer;
  }
  std::string hex = "hex(";
  hex.append(std::to_string(value.type)).append("):");
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    if (i != 0) hex += ',';
    AppendHex2(hex, value.data[i]);
  }
  return hex;
}

void WriteSection(const RegistryKey& key, const std::string& path, std::string* out) {
  out->append("\n[").append(path).append("]\n");
  for (const RegistryValue& value : key.values()) {
    out->append(value.name.empty() ? std::string("@") : QuoteText(value.name))
        .append("=")
        .append(FormatData(value))
        .append("\n");
  }
}

// Writes a hive's keys parents first, walking the tree with a stack of its own.
void WriteHive(const RegistryKey& hive, std::string* out) {
  std::vector<std::pair<const RegistryKey*, std::string>> pending;
  pending.emplace_back(&hive, ToBytes(hive.name()));
  while (!pending.empty()) {
    auto [key, path] = std::move(pending.back());
    pending.pop_back();
    WriteSection(*key, path, out);
    const auto subKeys = key->SubKeys();
    for (auto sub = subKeys.rbegin(); sub != subKeys.rend(); ++sub) {
      pending.emplace_back(*sub, path + "\\" + EscapeKeyName((*sub)->name()));
    }
  }
}

// --- Reading ------------------------------------------------------------------

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads two hex digits at text[pos].
std::optional<unsigned char> ReadHexByte(std::string_view text, std::size_t pos) {
  if (pos + 1 >= text.size()) return std::nullopt;
  const int high = HexDigit(text[pos]);
  const int low = HexDigit(text[pos + 1]);
  if (high < 0 || low < 0) return std::nullopt;
  return static_cast<unsigned char>(high * 16 + low);
}

// Reads an unsigned number of at most 32 bits in the given base, all of text.
std::optional<DWORD> ReadNumber(std::string_view text, unsigned base) {
  if (text.empty() || text.size() > (base == 16 ? 8u : 10u)) return std::nullopt;
  unsigned long long number = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return std::nullopt;
    number = number * base + static_cast<unsigned>(digit);
  }
  if (number > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<DWORD>(number);
}

// Reads a quoted text at text[*pos], moving *pos past its closing quote.
std::optional<std::u16string> ReadQuoted(std::string_view text, std::size_t* pos) {
  if (*pos >= text.size() || text[*pos] != '"') return std::nullopt;
  std::string bytes;
  for (std::size_t i = *pos + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      *pos = i + 1;
      return FromBytes(bytes);
    }
    if (c != '\\') {
      bytes += c;
      continue;
    }
    if (++i >= text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\':
      case '"':
        bytes += text[i];
        break;
      case 'n':
        bytes += '\n';
        break;
      case 'r':
        bytes += '\r';
        break;
      case 't':
        bytes += '\t';
        break;
      case 'x': {
        const auto byte = ReadHexByte(text, i + 1);
        if (!byte) return std::nullopt;
        bytes += static_cast<char>(*byte);
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::u16string> UnescapeKeyName(std::string_view name) {
  std::string bytes;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '%') {
      bytes += name[i];
      continue;
    }
    const auto byte = ReadHexByte(name, i + 1);
    if (!byte) return std::nullopt;
    bytes += static_cast<char>(*byte);
    i += 2;
  }
  return FromBytes(bytes);
}

std::vector<BYTE> StringData(const std::u16string& text) {
  std::vector<BYTE> data((text.size() + 1) * sizeof(char16_t), 0);
  std::memcpy(data.data(), text.data(), text.size() * sizeof(char16_t));
  return data;
}

// Parses the data part of a value line ("..." / expand:"..." / dword: / hex(n):).
bool ParseData(std::string_view text, DWORD* type, std::vector<BYTE>* data) {
  if (text.starts_with("\"") || text.starts_with("expand:\"")) {
    *type = text.starts_with("expand:") ? REG_EXPAND_SZ : REG_SZ;
    std::size_t pos = text.find('"');
    const auto value = ReadQuoted(text, &pos);
    if (!value || pos != text.size()) return false;
    *data = StringData(*value);
    return true;
  }
  if (text.starts_with("dword:")) {
    const auto number = ReadNumber(text.substr(6), 16);
    if (!number) return false;
    *type = REG_DWORD;
    data->resize(sizeof(DWORD));
    std::memcpy(data->data(), &*number, sizeof(DWORD));
    return true;
  }
  if (!text.starts_with("hex(")) return false;
  const std::size_t close = text.find("):");
  if (close == std::string_view::npos) return false;
  const auto number = ReadNumber(text.substr(4, close - 4), 10);
  if (!number) return false;
  *type = *number;
  data->clear();
  const std::string_view bytes = text.substr(close + 2);
  for (std::size_t pos = 0; pos < bytes.size(); pos += 3) {
    const auto byte = ReadHexByte(bytes, pos);
    if (!byte || (pos + 2 < bytes.size() && bytes[pos + 2] != ',')) return false;
    if (pos + 2 == bytes.size() - 1) return false;  // a trailing comma
    data->push_back(*byte);
  }
  return true;
}

// The last section header read and its key: a file lists a key's subkeys
// right after it, so a header that extends the last one is resolved from the
// last key on, and reading a deep tree stays linear.
struct LastHeader {
  std::string_view text;
  RegistryKey* key = nullptr;
  std::size_t depth = 0;
};

// The key a section header names, created in the tree; null when the header
// names no hive, breaks a limit or cannot be read.
RegistryKey* KeyOfHeader(std::string_view header, RegistryTree* tree, LastHeader* last) {
  RegistryKey* key = nullptr;
  std::size_t depth = 0;
  std::size_t start = 0;
  if (last->key != nullptr && header.size() > last->text.size() && header.starts_with(last->text) &&
      header[last->text.size()] == '\\') {
    key = last->key;
    depth = last->depth;
    start = last->text.size() + 1;
  } else {
    const std::size_t firstSlash = std::min(header.find('\\'), header.size());
    const std::string_view hive = header.substr(0, firstSlash);
    if (hive == "HKEY_LOCAL_MACHINE") key = &tree->machine;
    if (hive == "HKEY_CURRENT_USER") key = &tree->user;
    if (key == nullptr) return nullptr;
    start = firstSlash + 1;
  }
  for (; start <= header.size(); ++depth) {
    const std::size_t end = std::min(header.find('\\', start), header.size());
    const auto name = UnescapeKeyName(header.substr(start, end - start));
    if (depth == kMaxKeyDepth || !name || name->empty() || name->size() > kMaxKeyNameLength) {
      return nullptr;
    }
    bool created = false;
    key = key->FindOrCreateSubKey(*name, &created);
    start = end + 1;
  }
  *last = {header, key, depth};
  return key;
}

bool ParseValueLine(std::string_view line, RegistryKey* key) {
  std::u16string name;
  std::size_t pos = 0;
  if (line.starts_with("@=")) {
    pos = 1;
  } else {
    const auto quoted = ReadQuoted(line, &pos);
    if (!quoted || quoted->empty() || quoted->size() > kMaxValueNameLength) return false;
    name = *quoted;
  }
  if (pos >= line.size() || line[pos] != '=' || key->FindValue(name) != nullptr) return false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  if (!ParseData(line.substr(pos + 1), &type, &data)) return false;
  key->SetValue(name, type, std::move(data));
  return true;
}

}  // namespace

std::string SerializeRegistry(const RegistryTree& tree) {
  std::string out(kHeader);
  out += "\n";
  WriteHive(tree.machine, &out);
  WriteHive(tree.user, &out);
  return out;
}

LONG ParseRegistry(std::string_view text, RegistryTree* tree) {
  if (text.empty()) return ERROR_SUCCESS;
  RegistryKey* current = nullptr;
  LastHeader lastHeader;
  bool headerSeen = false;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    start = end + 1;
    if (!headerSeen) {
      if (line != kHeader) return ERROR_BADDB;
      headerSeen = true;
    } else if (line.starts_with("[") && line.ends_with("]") && line.size() >= 2) {
      current = KeyOfHeader(line.substr(1, line.size() - 2), tree, &lastHeader);
      if (current == nullptr) return ERROR_BADDB;
    } else if (!line.empty() && (current == nullptr || !ParseValueLine(line, current))) {
      return ERROR_BADDB;
    }
  }
  return ERROR_SUCCESS;
}

}  // namespace korvane::platform

// The registry file's text form (see detail/registry_format.h).
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/posix/detail/registry_format.h"
#include "platform/posix/detail/utf.h"
#include "platform/posix/winreg.h"

namespace korvane::platform {

namespace {

constexpr std::string_view kHeader = "KORVANE REGISTRY 1";

std::string Hex2(unsigned value) {
  char buffer[3];
  std::snprintf(buffer, sizeof(buffer), "%02x", value & 0xFF);
  return buffer;
}

// --- Writing ------------------------------------------------------------------

std::string QuoteText(std::u16string_view text) {
  std::string quoted = "\"";
  for (char c : Utf16ToUtf8(text)) {
    switch (c) {
      case '\\':
        quoted += "\\\\";
        break;
      case '"':
        quoted += "\\\"";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          quoted += "\\x";
          quoted += Hex2(static_cast<unsigned char>(c));
        } else {
          quoted += c;
        }
    }
  }
  quoted += '"';
  return quoted;
}

std::string EscapeKeyName(std::u16string_view name) {
  std::string escaped;
  for (char c : Utf16ToUtf8(name)) {
    if (c == '%' || static_cast<unsigned char>(c) < 0x20) {
      escaped += '%';
      escaped += Hex2(static_cast<unsigned char>(c));
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// The data as a string when it is exactly one terminated UTF-16 string
// without embedded NULs or unpaired surrogates.
std::optional<std::u16string> AsPlainString(const std::vector<BYTE>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::u16string text(data.size() / 2, u'\0');
  std::memcpy(text.data(), data.data(), data.size());
  if (text.back() != 0) return std::nullopt;
  text.pop_back();
  if (text.find(u'\0') != std::u16string::npos) return std::nullopt;
  if (Utf8ToUtf16(Utf16ToUtf8(text)) != text) return std::nullopt;
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
    hex += Hex2(value.data[i]);
  }
  return hex;
}

void WriteKey(const RegistryKey& key, const std::string& path, std::string* out) {
  out->append("\n[").append(path).append("]\n");
  for (const RegistryValue& value : key.values()) {
    out->append(value.name.empty() ? std::string("@") : QuoteText(value.name))
        .append("=")
        .append(FormatData(value))
        .append("\n");
  }
  for (const RegistryKey* sub : key.SubKeys()) {
    std::string subPath = path;
    subPath.append("\\").append(EscapeKeyName(sub->name()));
    WriteKey(*sub, subPath, out);
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

// Reads a quoted text at text[*pos], moving *pos past its closing quote.
std::optional<std::u16string> ReadQuoted(std::string_view text, std::size_t* pos) {
  if (*pos >= text.size() || text[*pos] != '"') return std::nullopt;
  std::string bytes;
  for (std::size_t i = *pos + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      *pos = i + 1;
      return Utf8ToUtf16(bytes);
    }
    if (c != '\\') {
      bytes += c;
      continue;
    }
    if (++i >= text.size()) return std::nullopt;
    switch (text[i]) {
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
        bytes += text[i];
    }
  }
  return std::nullopt;
}

std::u16string UnescapeKeyName(std::string_view name) {
  std::string bytes;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto byte = name[i] == '%' ? ReadHexByte(name, i + 1) : std::nullopt;
    if (byte) {
      bytes += static_cast<char>(*byte);
      i += 2;
    } else {
      bytes += name[i];
    }
  }
  return Utf8ToUtf16(bytes);
}

std::vector<BYTE> StringData(const std::u16string& text) {
  std::vector<BYTE> data((text.size() + 1) * sizeof(char16_t), 0);
  std::memcpy(data.data(), text.data(), text.size() * sizeof(char16_t));
  return data;
}

// Parses the data part of a value line ("..." / expand:"..." / dword: / hex(n):).
bool ParseData(std::string_view text, DWORD* type, std::vector<BYTE>* data) {
  std::size_t pos = 0;
  if (text.starts_with("\"") || text.starts_with("expand:\"")) {
    *type = text.starts_with("expand:") ? REG_EXPAND_SZ : REG_SZ;
    pos = text.find('"');
    const auto value = ReadQuoted(text, &pos);
    if (!value || pos != text.size()) return false;
    *data = StringData(*value);
    return true;
  }
  if (text.starts_with("dword:")) {
    const std::string digits(text.substr(6));
    char* end = nullptr;
    const unsigned long number = std::strtoul(digits.c_str(), &end, 16);
    if (digits.empty() || *end != '\0') return false;
    const auto value = static_cast<DWORD>(number);
    *type = REG_DWORD;
    data->resize(sizeof(value));
    std::memcpy(data->data(), &value, sizeof(value));
    return true;
  }
  if (!text.starts_with("hex(")) return false;
  const std::size_t close = text.find("):");
  if (close == std::string_view::npos) return false;
  const std::string typeText(text.substr(4, close - 4));
  char* end = nullptr;
  *type = static_cast<DWORD>(std::strtoul(typeText.c_str(), &end, 10));
  if (typeText.empty() || *end != '\0') return false;
  data->clear();
  for (pos = close + 2; pos < text.size(); pos += 3) {
    const auto byte = ReadHexByte(text, pos);
    if (!byte) return false;
    data->push_back(*byte);
  }
  return true;
}

// The key a section header names, created in the tree; null when the header
// names no hive.
RegistryKey* KeyOfHeader(std::string_view header, RegistryTree* tree) {
  KeyPath path;
  std::size_t start = 0;
  while (start <= header.size()) {
    std::size_t end = header.find('\\', start);
    if (end == std::string_view::npos) end = header.size();
    path.push_back(UnescapeKeyName(header.substr(start, end - start)));
    start = end + 1;
  }
  RegistryKey* root = nullptr;
  if (path.front() == tree->machine.name()) root = &tree->machine;
  if (path.front() == tree->user.name()) root = &tree->user;
  if (root == nullptr) return nullptr;
  path.erase(path.begin());
  bool created = false;
  return CreateKey(*root, path, &created);
}

void ParseValueLine(std::string_view line, RegistryKey* key) {
  std::u16string name;
  std::size_t pos = 0;
  if (line.starts_with("@=")) {
    pos = 1;
  } else {
    const auto quoted = ReadQuoted(line, &pos);
    if (!quoted) return;
    name = *quoted;
  }
  if (pos >= line.size() || line[pos] != '=') return;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  if (ParseData(line.substr(pos + 1), &type, &data)) key->SetValue(name, type, std::move(data));
}

}  // namespace

std::string SerializeRegistry(const RegistryTree& tree) {
  std::string out(kHeader);
  out += "\n";
  WriteKey(tree.machine, Utf16ToUtf8(tree.machine.name()), &out);
  WriteKey(tree.user, Utf16ToUtf8(tree.user.name()), &out);
  return out;
}

void ParseRegistry(std::string_view text, RegistryTree* tree) {
  RegistryKey* current = nullptr;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    start = end + 1;
    if (line.starts_with("[") && line.ends_with("]")) {
      current = KeyOfHeader(line.substr(1, line.size() - 2), tree);
    } else if (current != nullptr && !line.empty()) {
      ParseValueLine(line, current);
    }
  }
}

}  // namespace korvane::platform

#include "com/typelib/wix_registry.h"

#include <cctype>
#include <stdexcept>

namespace korvane::typelib {
namespace {

// The automation marshaller, which proxies a type library's automation interfaces.
constexpr char kAutomationProxy[] = "{00020424-0000-0000-C000-000000000046}";

// The tokens of a registry script: words, quoted texts (quotes dropped, doubled quotes kept
// once), and the marks = and braces.
class Tokens {
 public:
  explicit Tokens(std::string_view text) : text_(text) {}

  bool AtEnd() {
    SkipBlanks();
    return at_ >= text_.size();
  }
  std::string Next() {
    SkipBlanks();
    if (at_ >= text_.size()) throw std::runtime_error("registry script ends early");
    const char first = text_[at_];
    if (first == '{' || first == '}' || first == '=') return std::string(1, text_[at_++]);
    if (first == '\'') return Quoted();
    std::string word;
    while (at_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[at_])) &&
           text_[at_] != '{' && text_[at_] != '}' && text_[at_] != '=') {
      word += text_[at_++];
    }
    return word;
  }
  std::string Peek() {
    const std::size_t saved = at_;
    std::string token = Next();
    at_ = saved;
    return token;
  }
  void Expect(std::string_view token) {
    const std::string found = Next();
    if (found != token) {
      throw std::runtime_error("registry script: expected '" + std::string(token) + "', found '" +
                               found + "'");
    }
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  std::string Quoted() {
    std::string text;
    for (++at_; at_ < text_.size(); ++at_) {
      if (text_[at_] != '\'') {
        text += text_[at_];
      } else if (at_ + 1 < text_.size() && text_[at_ + 1] == '\'') {
        text += text_[++at_];
      } else {
        ++at_;
        return text;
      }
    }
    throw std::runtime_error("registry script: a quoted text has no end");
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

class ScriptReader {
 public:
  ScriptReader(std::string_view script,
               const std::vector<std::pair<std::string, std::string>>& variables)
      : tokens_(script), variables_(variables) {}

  std::vector<RegistryRow> Read() {
    while (!tokens_.AtEnd()) {
      const std::string root = tokens_.Next();
      if (root != "HKCR")
        throw std::runtime_error("registry script: root " + root + " is not HKCR");
      tokens_.Expect("{");
      ReadKeys("");
    }
    return rows_;
  }

 private:
  // The keys and values of one key's braces, up to its closing brace.
  void ReadKeys(const std::string& parent) {
    for (std::string token = tokens_.Next(); token != "}"; token = tokens_.Next()) {
      if (token == "NoRemove" || token == "ForceRemove") token = tokens_.Next();
      if (token == "val") {
        const std::string name = Substituted(tokens_.Next());
        rows_.push_back({parent, name, ReadValue()});
        continue;
      }
      const std::string key =
          parent.empty() ? Substituted(token) : parent + "\\" + Substituted(token);
      if (tokens_.Peek() == "=") rows_.push_back({key, "", ReadValue()});
      if (tokens_.Peek() == "{") {
        tokens_.Next();
        ReadKeys(key);
      }
    }
  }
  // `= s 'text'`: only text values occur in the module's scripts.
  std::string ReadValue() {
    tokens_.Expect("=");
    tokens_.Expect("s");
    return Substituted(tokens_.Next());
  }
  std::string Substituted(std::string text) const {
    for (const auto& [name, value] : variables_) {
      const std::string marker = "%" + name + "%";
      for (std::size_t at = text.find(marker); at != std::string::npos;
           at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
      }
    }
    return text;
  }

  Tokens tokens_;
  const std::vector<std::pair<std::string, std::string>>& variables_;
  std::vector<RegistryRow> rows_;
};

std::string XmlAttribute(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::vector<RegistryRow> ScriptRows(
    std::string_view script, const std::vector<std::pair<std::string, std::string>>& variables) {
  return ScriptReader(script, variables).Read();
}

std::vector<RegistryRow> TypeLibraryRegistration(const TypeLibraryRows& library) {
  const std::string key = "TypeLib\\" + library.libraryId + "\\" + library.version;
  std::vector<RegistryRow> rows = {
      {key, "", library.help},
      {key + "\\" + library.lcidHex + "\\win64", "", library.path},
      // The library has no flags of its own; the system adds LIBFLAG_FHASDISKIMAGE (8) to a
      // library it loaded from a file, and registers that.
      {key + "\\FLAGS", "", "8"},
      {key + "\\HELPDIR", "", library.helpDirectory},
  };
  for (const auto& [id, name] : library.interfaces) {
    const std::string interfaceKey = "Interface\\" + id;
    rows.push_back({interfaceKey, "", name});
    rows.push_back({interfaceKey + "\\ProxyStubClsid", "", kAutomationProxy});
    rows.push_back({interfaceKey + "\\ProxyStubClsid32", "", kAutomationProxy});
    rows.push_back({interfaceKey + "\\TypeLib", "", library.libraryId});
    rows.push_back({interfaceKey + "\\TypeLib", "Version", library.version});
  }
  return rows;
}

std::string WixInclude(const std::vector<RegistryRow>& rows) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!-- Generated by typelib_idl from the module's registry scripts and type library; "
      "do not edit. -->\n<Include>\n";
  for (const RegistryRow& row : rows) {
    text += "  <RegistryValue Root=\"HKCR\" Key=\"" + XmlAttribute(row.key) + "\"";
    if (!row.name.empty()) text += " Name=\"" + XmlAttribute(row.name) + "\"";
    text += " Value=\"" + XmlAttribute(row.value) + "\" Type=\"string\"/>\n";
  }
  return text + "</Include>\n";
}

}  // namespace korvane::typelib

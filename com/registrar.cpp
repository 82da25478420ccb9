#include "com/registrar.h"

#include <memory>
#include <new>

#include "platform/scoped_hkey.h"

namespace korvane {
namespace {

constexpr OLECHAR Ch(char c) {
  return static_cast<OLECHAR>(c);
}

enum class Removal { Normal, NoRemove, ForceRemove };

// One line of a script: a key with its values and subkeys, or a named value.
struct Entry {
  bool isValue = false;
  Removal removal = Removal::Normal;
  OleString name;
  bool hasValue = false;  // a key's default value or the named value's text
  OleString value;
  std::vector<Entry> children;
};

OLECHAR Lower(OLECHAR c) {
  return c >= Ch('A') && c <= Ch('Z') ? static_cast<OLECHAR>(c - Ch('A') + Ch('a')) : c;
}

bool SameText(OleStringView a, OleStringView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

OleString Widen(std::string_view text) {
  OleString wide;
  wide.reserve(text.size());
  for (char c : text) wide += static_cast<OLECHAR>(static_cast<unsigned char>(c));
  return wide;
}

// The script with every %NAME% replaced; E_INVALIDARG for an unknown name.
HRESULT Substitute(OleStringView script, const std::vector<RegistrarVariable>& variables,
                   OleString& out) {
  for (std::size_t i = 0; i < script.size(); ++i) {
    if (script[i] != Ch('%')) {
      out += script[i];
      continue;
    }
    const std::size_t end = script.find(Ch('%'), i + 1);
    if (end == OleStringView::npos) return E_INVALIDARG;
    const OleStringView name = script.substr(i + 1, end - i - 1);
    const RegistrarVariable* found = nullptr;
    for (const RegistrarVariable& variable : variables) {
      if (SameText(variable.name, name)) found = &variable;
    }
    if (name.empty()) {
      out += Ch('%');
    } else if (found != nullptr) {
      out += found->value;
    } else {
      return E_INVALIDARG;
    }
    i = end;
  }
  return S_OK;
}

class Parser {
 public:
  explicit Parser(OleStringView text) : text_(text) {}

  // HKCR { entries }
  HRESULT Parse(std::vector<Entry>& entries) {
    OleString root;
    if (!Word(root) ||
        !(SameText(root, OLESTR("HKCR")) || SameText(root, OLESTR("HKEY_CLASSES_ROOT"))))
      return E_INVALIDARG;
    if (!Take(Ch('{'))) return E_INVALIDARG;
    if (!Entries(entries, false)) return E_INVALIDARG;
    SkipBlanks();
    return pos_ == text_.size() ? S_OK : E_INVALIDARG;
  }

 private:
  // Entries up to the closing brace, which is consumed.
  bool Entries(std::vector<Entry>& entries, bool valuesAllowed) {
    while (!Take(Ch('}'))) {
      Entry entry;
      if (!One(entry, valuesAllowed)) return false;
      entries.push_back(std::move(entry));
    }
    return true;
  }

  bool One(Entry& entry, bool valuesAllowed) {
    OleString word;
    if (!Word(word)) return false;
    if (SameText(word, OLESTR("NoRemove")) || SameText(word, OLESTR("ForceRemove"))) {
      entry.removal = SameText(word, OLESTR("NoRemove")) ? Removal::NoRemove : Removal::ForceRemove;
      if (!Word(word)) return false;
    } else if (valuesAllowed && SameText(word, OLESTR("val"))) {
      entry.isValue = true;
      if (!Word(word)) return false;
    }
    entry.name = word;
    if (Take(Ch('='))) {
      OleString type;
      if (!Word(type) || !SameText(type, OLESTR("s")) || !Word(entry.value)) return false;
      entry.hasValue = true;
    } else if (entry.isValue) {
      return false;
    }
    if (!entry.isValue && Take(Ch('{'))) return Entries(entry.children, true);
    return true;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == Ch(' ') || text_[pos_] == Ch('\t') ||
                                   text_[pos_] == Ch('\r') || text_[pos_] == Ch('\n'))) {
      ++pos_;
    }
  }

  bool Take(OLECHAR c) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  // A bare word, or a quoted text in which '' is one quote.
  bool Word(OleString& word) {
    SkipBlanks();
    word.clear();
    if (pos_ >= text_.size()) return false;
    if (text_[pos_] == Ch('\'')) {
      for (++pos_; pos_ < text_.size(); ++pos_) {
        if (text_[pos_] != Ch('\'')) {
          word += text_[pos_];
        } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == Ch('\'')) {
          word += text_[++pos_];
        } else {
          ++pos_;
          return true;
        }
      }
      return false;
    }
    while (pos_ < text_.size() &&
           OleStringView(OLESTR(" \t\r\n{}='")).find(text_[pos_]) == OleStringView::npos) {
      word += text_[pos_++];
    }
    return !word.empty();
  }

  OleStringView text_;
  std::size_t pos_ = 0;
};

HRESULT FromWin32(LSTATUS status) {
  return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

HRESULT SetText(HKEY key, const OLECHAR* name, const OleString& text) {
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(OLECHAR));
  return FromWin32(
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes));
}

HRESULT RegisterEntries(HKEY parent, const std::vector<Entry>& entries);

HRESULT RegisterKey(HKEY parent, const Entry& entry) {
  if (entry.removal == Removal::ForceRemove) {
    const LSTATUS status = RegDeleteTreeW(parent, entry.name.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return FromWin32(status);
  }
  ScopedHkey key;
  HRESULT result =
      FromWin32(RegCreateKeyExW(parent, entry.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
  if (FAILED(result)) return result;
  if (entry.hasValue) {
    result = SetText(key.Get(), nullptr, entry.value);
    if (FAILED(result)) return result;
  }
  return RegisterEntries(key.Get(), entry.children);
}

HRESULT RegisterEntries(HKEY parent, const std::vector<Entry>& entries) {
  for (const Entry& entry : entries) {
    const HRESULT result = entry.isValue ? SetText(parent, entry.name.c_str(), entry.value)
                                         : RegisterKey(parent, entry);
    if (FAILED(result)) return result;
  }
  return S_OK;
}

// Deletes what the entries name below parent; a key already gone is no fault.
HRESULT UnregisterEntries(HKEY parent, const std::vector<Entry>& entries) {
  for (const Entry& entry : entries) {
    LSTATUS status = ERROR_SUCCESS;
    if (entry.isValue) {
      status = RegDeleteValueW(parent, entry.name.c_str());
    } else if (entry.removal != Removal::NoRemove) {
      status = RegDeleteTreeW(parent, entry.name.c_str());
    } else {
      ScopedHkey key;
      status = RegOpenKeyExW(parent, entry.name.c_str(), 0, KEY_ALL_ACCESS, key.Receive());
      if (status == ERROR_SUCCESS) {
        const HRESULT result = UnregisterEntries(key.Get(), entry.children);
        if (FAILED(result)) return result;
      }
    }
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return FromWin32(status);
  }
  return S_OK;
}

}  // namespace

HRESULT Registrar::Run(std::string_view script, bool registering) const {
  try {
    OleString text;
    HRESULT result = Substitute(Widen(script), variables_, text);
    if (FAILED(result)) return result;
    std::vector<Entry> entries;
    result = Parser(text).Parse(entries);
    if (FAILED(result)) return result;
    return registering ? RegisterEntries(root_, entries) : UnregisterEntries(root_, entries);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace korvane

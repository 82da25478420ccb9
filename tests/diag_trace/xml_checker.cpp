#include "tests/diag_trace/xml_checker.h"

#include <algorithm>

namespace korvane::testing {

namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  XmlDocument Document() {
    XmlDocument doc;
    Characters();
    if (Peek("<?xml ")) {
      pos_ = text_.find("?>", pos_);
      if (pos_ == std::string_view::npos) Fail("unterminated declaration");
      pos_ += 2;
    }
    Misc(doc);
    if (!Peek("<")) Fail("no root element");
    doc.root = Element();
    Misc(doc);
    if (pos_ != text_.size()) Fail("content after the root element");
    return doc;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw XmlError(what + " at offset " + std::to_string(pos_));
  }
  // The whole text is UTF-8 of characters XML 1.0 allows: tab, LF, CR,
  // U+0020-U+D7FF, U+E000-U+FFFD, U+10000-U+10FFFF.
  void Characters() {
    for (pos_ = 0; pos_ < text_.size();) {
      const auto lead = static_cast<unsigned char>(text_[pos_]);
      const int trail = lead < 0x80    ? 0
                        : lead >= 0xF0 ? 3
                        : lead >= 0xE0 ? 2
                        : lead >= 0xC0 ? 1
                                       : -1;
      if (trail < 0 || pos_ + trail >= text_.size() + (trail == 0)) Fail("malformed UTF-8");
      char32_t code = trail == 0 ? lead : lead & (0x3F >> trail);
      for (int i = 1; i <= trail; ++i) {
        const auto byte = static_cast<unsigned char>(text_[pos_ + i]);
        if ((byte & 0xC0) != 0x80) Fail("malformed UTF-8");
        code = (code << 6) | (byte & 0x3F);
      }
      static constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
      if (code < kShortest[trail]) Fail("overlong UTF-8");
      const bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                           (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                           (code >= 0x10000 && code <= 0x10FFFF);
      if (!allowed) Fail("character XML does not allow");
      pos_ += trail + 1;
    }
    pos_ = 0;
  }
  bool Peek(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }
  void Expect(std::string_view s) {
    if (!Peek(s)) Fail("expected '" + std::string(s) + "'");
    pos_ += s.size();
  }
  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  void Spaces() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }
  static bool NameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
  }
  static bool NameChar(char c) {
    return NameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
  }

  std::string Name() {
    if (pos_ >= text_.size() || !NameStart(text_[pos_])) Fail("expected a name");
    size_t start = pos_;
    while (pos_ < text_.size() && NameChar(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  // Whitespace, comments and processing instructions outside the root.
  void Misc(XmlDocument& doc) {
    for (;;) {
      Spaces();
      if (Peek("<!--")) {
        size_t end = text_.find("-->", pos_ + 4);
        if (end == std::string_view::npos) Fail("unterminated comment");
        pos_ = end + 3;
      } else if (Peek("<?")) {
        pos_ += 2;
        size_t end = text_.find("?>", pos_);
        if (end == std::string_view::npos) Fail("unterminated processing instruction");
        doc.processingInstructions.emplace_back(text_.substr(pos_, end - pos_));
        pos_ = end + 2;
      } else {
        return;
      }
    }
  }

  // "&...;" at pos_, appended to out resolved.
  void Reference(std::string& out) {
    size_t end = text_.find(';', pos_);
    if (end == std::string_view::npos || end - pos_ > 10) Fail("bad reference");
    std::string_view ref = text_.substr(pos_ + 1, end - pos_ - 1);
    static const std::pair<std::string_view, char> kEntities[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    auto named = std::find_if(std::begin(kEntities), std::end(kEntities),
                              [&](const auto& e) { return e.first == ref; });
    if (named != std::end(kEntities)) {
      out += named->second;
    } else if (ref.size() > 1 && ref[0] == '#') {
      bool hex = ref[1] == 'x';
      std::string digits(ref.substr(hex ? 2 : 1));
      if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF"
                                                         : "0123456789") != std::string::npos) {
        Fail("bad character reference");
      }
      long code = std::stol(digits, nullptr, hex ? 16 : 10);
      if (code != 9 && code != 10 && code != 13 && (code < 0x20 || code > 0x7F)) {
        Fail("character reference outside what the tests expect");
      }
      out += static_cast<char>(code);
    } else {
      Fail("unknown entity");
    }
    pos_ = end + 1;
  }

  // Character data up to '<' (content) or the quote (attribute values).
  std::string Chars(char stop) {
    std::string out;
    while (pos_ < text_.size() && text_[pos_] != stop) {
      char c = text_[pos_];
      if (c == '&') {
        Reference(out);
        continue;
      }
      if (c == '<') Fail("'<' inside a value");
      if (static_cast<unsigned char>(c) < 0x20 && !IsSpace(c)) Fail("control character");
      out += c;
      ++pos_;
    }
    if (pos_ >= text_.size()) Fail("unexpected end");
    return out;
  }

  XmlElement Element() {
    Expect("<");
    XmlElement e;
    e.name = Name();
    for (;;) {
      bool spaced = pos_ < text_.size() && IsSpace(text_[pos_]);
      Spaces();
      if (Peek("/>")) {
        pos_ += 2;
        return e;
      }
      if (Peek(">")) break;
      if (!spaced) Fail("attributes must be separated by white space");
      std::string name = Name();
      if (e.HasAttribute(name)) Fail("duplicate attribute " + name);
      Spaces();
      Expect("=");
      Spaces();
      if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\'')) Fail("no quote");
      char quote = text_[pos_++];
      std::string value = Chars(quote);
      ++pos_;
      e.attributes.emplace_back(std::move(name), std::move(value));
    }
    ++pos_;  // '>'
    for (;;) {
      if (Peek("</")) {
        pos_ += 2;
        if (Name() != e.name) Fail("end tag does not match " + e.name);
        Spaces();
        Expect(">");
        return e;
      }
      if (Peek("<!--")) {
        size_t end = text_.find("-->", pos_ + 4);
        if (end == std::string_view::npos) Fail("unterminated comment");
        pos_ = end + 3;
      } else if (Peek("<")) {
        e.children.push_back(Element());
      } else {
        e.text += Chars('<');
      }
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

bool XmlElement::HasAttribute(std::string_view attribute) const {
  return std::any_of(attributes.begin(), attributes.end(),
                     [&](const auto& a) { return a.first == attribute; });
}

const std::string& XmlElement::Attribute(std::string_view attribute) const {
  for (const auto& a : attributes) {
    if (a.first == attribute) return a.second;
  }
  throw XmlError(name + " has no attribute " + std::string(attribute));
}

std::vector<std::string> XmlElement::AttributeNames() const {
  std::vector<std::string> names;
  for (const auto& a : attributes) names.push_back(a.first);
  return names;
}

std::vector<const XmlElement*> XmlElement::Children(std::string_view childName) const {
  std::vector<const XmlElement*> found;
  for (const auto& c : children) {
    if (c.name == childName) found.push_back(&c);
  }
  return found;
}

XmlDocument ParseXml(std::string_view text) {
  return Reader(text).Document();
}

}  // namespace korvane::testing

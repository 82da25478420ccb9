#include "diag/trace_xml.h"

#include <stdexcept>

namespace korvane {

namespace {
constexpr std::string_view kLineEnd = "\r\n";

// What a character of an attribute value is written as; null when it is
// written as itself.
const char* Replacement(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\'':
      return "&apos;";
    case '\t':
      return "&#9;";
    case '\n':
      return "&#10;";
    case '\r':
      return "&#13;";
    default:
      return static_cast<unsigned char>(c) < 0x20 ? "?" : nullptr;
  }
}
}  // namespace

void TraceXmlWriter::Indent(int level) {
  out_.append(static_cast<size_t>(level), '\t');
}

void TraceXmlWriter::StartElement(const char* name) {
  if (count_ == kMaxOpen) throw std::length_error("trace elements nested too deeply");
  CompleteStartTag();
  Indent(depth_ + count_);
  out_ += '<';
  out_ += name;
  open_[count_++] = name;
  tagOpen_ = true;
}

void TraceXmlWriter::Attribute(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  AppendXmlEscaped(out_, value);
  out_ += '"';
}

void TraceXmlWriter::PlainAttribute(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  out_ += value;
  out_ += '"';
}

void TraceXmlWriter::EndElement() {
  if (count_ == 0) return;
  const char* name = open_[--count_];
  if (tagOpen_) {
    out_ += "/>";
    tagOpen_ = false;
  } else {
    Indent(depth_ + count_);
    out_ += "</";
    out_ += name;
    out_ += '>';
  }
  out_ += kLineEnd;
}

void TraceXmlWriter::EndAll() {
  while (count_ > 0) EndElement();
}

bool TraceXmlWriter::CompleteStartTag() {
  if (!tagOpen_) return false;
  out_ += '>';
  out_ += kLineEnd;
  tagOpen_ = false;
  return true;
}

void AppendXmlEscaped(std::string& out, std::string_view value) {
  size_t kept = 0;  // start of the characters not yet appended
  for (size_t i = 0; i < value.size(); ++i) {
    const char* replacement = Replacement(value[i]);
    if (replacement == nullptr) continue;
    out.append(value.substr(kept, i - kept));
    out += replacement;
    kept = i + 1;
  }
  out.append(value.substr(kept));
}

}  // namespace korvane

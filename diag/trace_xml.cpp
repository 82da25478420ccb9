#include "diag/trace_xml.h"

#include <stdexcept>

namespace korvane {

namespace {
constexpr std::string_view kLineEnd = "\r\n";
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
  for (char c : value) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '\t':
        out += "&#9;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
        break;
    }
  }
}

}  // namespace korvane

#include "diag/trace_note.h"

#include "diag/trace_text.h"

namespace korvane {

void AppendTraceNote(std::string& out, OleStringView text) {
  std::string encoded;
  AppendAnsiText(encoded, text.data(), text.size());
  out += "<!-- ";
  for (const char c : encoded) {
    if (c == '-' && !out.empty() && out.back() == '-') out += ' ';

    out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  if (out.back() == '-') out += ' ';
  out += " -->\r\n";
}

}  // namespace korvane

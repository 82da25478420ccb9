#include "repcap/physical_names.h"

#include <algorithm>

namespace korvane {
namespace {

bool IsWhiteSpace(OLECHAR c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

OLECHAR FoldAscii(OLECHAR c) {
  return (c >= OLECHAR('A') && c <= OLECHAR('Z')) ? OLECHAR(c - 'A' + 'a') : c;
}

}  // namespace

OleStringView TrimWhiteSpace(OleStringView text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

OleString ResolvePhysicalName(const NameValueTable& forwardTable, OleStringView name) {
  const auto found = forwardTable.find(LowerCaseKey(name));
  OleStringView resolved = found != forwardTable.end() ? OleStringView(found->second) : name;
  if (const size_t separator = resolved.find(kQualifierSeparator);
      separator != OleStringView::npos) {
    resolved.remove_prefix(separator + OleStringView(kQualifierSeparator).size());
  }
  return OleString(resolved);
}

bool EqualsIgnoringAsciiCase(OleStringView a, OleStringView b) {
  return std::ranges::equal(a, b,
                            [](OLECHAR x, OLECHAR y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace korvane

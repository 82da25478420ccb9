#include "repcap/physical_names.h"

#include <algorithm>
#include <array>

namespace korvane {
namespace {

bool IsWhiteSpace(OLECHAR c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

OLECHAR FoldAscii(OLECHAR c) {
  return (c >= OLECHAR('A') && c <= OLECHAR('Z')) ? OLECHAR(c - 'A' + 'a') : c;
}

// The table's entry for the lower-case form of `name`. The usual short names are folded on the
// stack: resolving a name on every IVI-C item call then allocates nothing.
NameValueTable::const_iterator FindLowerCase(const NameValueTable& table, OleStringView name) {
  constexpr size_t kShort = 64;
  if (table.empty()) return table.end();
  if (name.size() > kShort) return table.find(LowerCaseKey(name));
  std::array<OLECHAR, kShort> folded;
  std::transform(name.begin(), name.end(), folded.begin(), FoldAscii);
  return table.find(OleStringView(folded.data(), name.size()));
}

}  // namespace

OleStringView TrimWhiteSpace(OleStringView text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

OleStringView ResolvePhysicalName(const NameValueTable& forwardTable, OleStringView name) {
  const auto found = FindLowerCase(forwardTable, name);
  OleStringView resolved = found != forwardTable.end() ? OleStringView(found->second) : name;
  if (const size_t separator = resolved.find(kQualifierSeparator);
      separator != OleStringView::npos) {
    resolved.remove_prefix(separator + OleStringView(kQualifierSeparator).size());
  }
  return resolved;
}

bool EqualsIgnoringAsciiCase(OleStringView a, OleStringView b) {
  return std::ranges::equal(a, b,
                            [](OLECHAR x, OLECHAR y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace korvane

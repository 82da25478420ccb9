#pragma once
// One comma-separated element of a selector level, matched against the
// element grammar: a name ("FAN1") or a range ("FAN1-FAN3"), with blanks
// (space or tab) allowed around it and around the range's '-'.
//
//   range: blank* first_prefix first_number blank* '-' blank* last_prefix last_number blank*
//   name:  blank* name blank*
//
// where a prefix is one or more of a-z, A-Z, '_' and '!', a number is one or
// more digits 0-9, and a name is one or more of the prefix characters and
// digits. The whole element must match one form; the parts are views into the
// element's text.

#include <optional>
#include <string_view>

namespace korvane {

struct SelectorElement {
  bool is_range = false;
  std::string_view name;                                                  // name form
  std::string_view first_prefix, first_number, last_prefix, last_number;  // range form

  bool operator==(const SelectorElement&) const = default;
};

// The element `text` matches, or nothing when it matches neither form.
std::optional<SelectorElement> ScanSelectorElement(std::string_view text);

}  // namespace korvane

#pragma once
// The element grammar of selector_element.h written as one regular
// expression, compiled once per process on first use (safe when threads
// arrive together), and matched with the regular-expression engine of the
// standard library.

#include <optional>
#include <string_view>

#include "repcap/selector_element.h"

namespace korvane {

// The element `text` matches by the regular expression, or nothing.
std::optional<SelectorElement> MatchSelectorPattern(std::string_view text);

}  // namespace korvane

#pragma once
// The repeated-capability selector of the C face: a text such as "FAN1",
// "FAN1-FAN3", "FAN1,TS2", "[A,B]:C" expanded into an ordered list of paths,
// one name per level. Parsing is pure: it knows no session, status code or
// message; the caller maps a fault to its status and message.
//
// Grammar: levels are separated by ':'; a level is a comma-separated list of
// elements, optionally in brackets; an element is a name ("FAN1") or, where
// ranges are allowed, a range ("FAN1-FAN3"), with blanks (space, tab) allowed
// around it and around the range's '-'. In an unbracketed level a comma ends
// the current path and starts the next one; in a bracketed level it adds one
// more name to the level. Every combination of the level names of a path is a
// result path, the first level varying slowest.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

enum class SelectorFault {
  kBadlyFormed,         // no element match, missing ']', unwanted range, duplicate path
  kInvalidRange,        // prefixes differ, end below start, number out of reach
  kInconsistentLevels,  // paths with different numbers of levels
};

using SelectorPath = std::vector<std::string>;  // one name per level

// The outcome of one parse: a fault, or the paths in order. After a fault the
// paths are incomplete and must not be used.
struct SelectorParse {
  std::optional<SelectorFault> fault;
  std::vector<SelectorPath> paths;
};

// The most paths one selector may expand to; a selector that names more is
// refused (a range: invalid range; a combination of levels: badly formed), so
// that a short text cannot ask for unbounded memory.
inline constexpr std::size_t kMaxSelectorPaths = 1024;

// The most names all paths together may hold (paths times levels), checked
// before a path is expanded, so that a selector of many paths over many
// levels is refused (badly formed) in time and memory bounded by its text.
inline constexpr std::size_t kMaxSelectorNames = 8 * kMaxSelectorPaths;

// Parses `text`; a range element is refused as badly formed unless
// `ranges_allowed`. The empty text gives one path of one empty name.
SelectorParse ParseSelector(std::string_view text, bool ranges_allowed);

}  // namespace korvane

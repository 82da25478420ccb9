#include "repcap/selector.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <utility>

#include "repcap/selector_element.h"

namespace korvane {
namespace {

using Fault = std::optional<SelectorFault>;
using Level = std::vector<std::string>;  // the names given for one level

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

// Calls `handle` with each non-empty piece of `text` between `separator`s, in
// order, until one returns a fault.
template <typename Handle>
Fault ForEachPiece(std::string_view text, char separator, Handle handle) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(separator), text.size());
    if (end > 0) {
      if (Fault fault = handle(text.substr(0, end))) return fault;
    }
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return std::nullopt;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A range's last prefix must repeat the start of its first prefix, letters
// compared without case: FAN1-fan3 and FAN1-F3 are ranges, FAN1-TS3 is not.
bool LastPrefixFits(std::string_view first, std::string_view last) {
  const std::string_view head = first.substr(0, last.size());
  return head.size() == last.size() &&
         std::equal(head.begin(), head.end(), last.begin(),
                    [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

// The decimal `digits` as a number the names can carry ("%d"), or nothing.
std::optional<int> RangeNumber(std::string_view digits) {
  int value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

class SelectorParser {
 public:
  explicit SelectorParser(bool ranges_allowed) : ranges_allowed_(ranges_allowed) {}

  SelectorParse Parse(std::string_view text) {
    if (text.empty()) return SelectorParse{std::nullopt, {SelectorPath{std::string()}}};
    SelectorParse parse;
    parse.fault = ParseLevels(text);
    if (!parse.fault) parse.fault = CheckDuplicates();
    parse.paths = std::move(paths_);
    return parse;
  }

 private:
  Fault ParseLevels(std::string_view text) {
    if (Fault fault =
            ForEachPiece(text, ':', [&](std::string_view level) { return ParseLevel(level); }))
      return fault;
    // Nothing but separators names nothing.
    if (working_.empty()) return SelectorFault::kBadlyFormed;
    return Flush();
  }

  Fault ParseLevel(std::string_view text) {
    working_.emplace_back();
    text = Trim(text);
    const bool bracketed = !text.empty() && text.front() == '[';
    if (bracketed) {
      if (text.back() != ']') return SelectorFault::kBadlyFormed;
      text = text.substr(1, text.size() - 2);
    }
    int index = 0;
    if (Fault fault = ForEachPiece(text, ',', [&](std::string_view element) {
          return ParseElement(element, index++, bracketed);
        }))
      return fault;
    // A level without a single name would leave no path to name.
    if (index == 0) return SelectorFault::kBadlyFormed;
    return std::nullopt;
  }

  Fault ParseElement(std::string_view text, int index, bool bracketed) {
    if (index > 0 && !bracketed) {
      // Outside brackets a comma ends the path and starts the next one.
      if (Fault fault = Flush()) return fault;
      working_.assign(1, Level());
    }
    const std::optional<SelectorElement> element = ScanSelectorElement(text);
    if (!element) return SelectorFault::kBadlyFormed;
    if (!element->is_range) return AddName(std::string(element->name));
    return AddRange(*element);
  }

  Fault AddRange(const SelectorElement& range) {
    if (!ranges_allowed_) return SelectorFault::kBadlyFormed;
    if (!LastPrefixFits(range.first_prefix, range.last_prefix)) return SelectorFault::kInvalidRange;
    const std::optional<int> first = RangeNumber(range.first_number);
    const std::optional<int> last = RangeNumber(range.last_number);
    if (!first || !last || *last < *first) return SelectorFault::kInvalidRange;
    if (std::int64_t{*last} - *first >= std::int64_t{kMaxSelectorPaths})
      return SelectorFault::kInvalidRange;
    const std::string prefix(range.first_prefix);
    for (int number = *first;; ++number) {
      if (Fault fault = AddName(prefix + std::to_string(number))) return fault;
      if (number == *last) return std::nullopt;
    }
  }

  Fault AddName(std::string name) {
    Level& level = working_.back();
    if (level.size() >= kMaxSelectorPaths) return SelectorFault::kBadlyFormed;
    level.push_back(std::move(name));
    return std::nullopt;
  }

  // Adds every combination of the working path's level names to the paths:
  // one name per level, the first level varying slowest. The paths and the
  // names they add are counted first; nothing is built beyond the most.
  Fault Flush() {
    if (!paths_.empty() && paths_.front().size() != working_.size())
      return SelectorFault::kInconsistentLevels;
    std::size_t count = 1;
    for (const Level& level : working_) {
      count *= level.size();
      if (count > kMaxSelectorPaths - paths_.size()) return SelectorFault::kBadlyFormed;
    }
    // count is at most kMaxSelectorPaths, so the product cannot wrap.
    const std::size_t names = count * working_.size();
    if (names > kMaxSelectorNames - names_) return SelectorFault::kBadlyFormed;
    names_ += names;
    std::vector<std::size_t> choice(working_.size(), 0);
    for (std::size_t n = 0; n < count; ++n) {
      SelectorPath& path = paths_.emplace_back();
      for (std::size_t i = 0; i < working_.size(); ++i) path.push_back(working_[i][choice[i]]);
      for (std::size_t i = working_.size(); i-- > 0;) {
        if (++choice[i] < working_[i].size()) break;
        choice[i] = 0;
      }
    }
    return std::nullopt;
  }

  // Two paths with the same names in the same order name one item twice.
  Fault CheckDuplicates() const {
    if (paths_.size() < 2) return std::nullopt;
    std::unordered_set<std::string> keys;
    for (const SelectorPath& path : paths_) {
      std::string key;
      for (const std::string& name : path) key += name + ':';
      if (!keys.insert(std::move(key)).second) return SelectorFault::kBadlyFormed;
    }
    return std::nullopt;
  }

  const bool ranges_allowed_;
  std::vector<Level> working_;  // the path being built: names per level
  std::vector<SelectorPath> paths_;
  std::size_t names_ = 0;  // in paths_, all levels counted
};

}  // namespace

SelectorParse ParseSelector(std::string_view text, bool ranges_allowed) {
  return SelectorParser(ranges_allowed).Parse(text);
}

}  // namespace korvane

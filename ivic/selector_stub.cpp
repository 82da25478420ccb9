// Temporary stand-in for the selector parser until it lands: comma lists of one-level names only.
#include "repcap/selector.h"

namespace korvane {

SelectorParse ParseSelector(std::string_view text, bool) {
  SelectorParse parse;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    std::string_view name = text.substr(start, comma - start);
    if (name.find_first_of(" -:[]") != std::string_view::npos) {
      parse.fault = SelectorFault::kBadlyFormed;
      return parse;
    }
    parse.paths.push_back({std::string(name)});
    if (comma == std::string_view::npos) return parse;
    start = comma + 1;
  }
}

}  // namespace korvane

// Completes the co-classes of a type library that the IDL compiler wrote. The compiler copies an
// interface of an imported library into the library when a co-class names it, so the IDL lists
// only the library's own interfaces; this step then gives each co-class its whole list, in
// order, the imported interfaces referring to the imported library as the inherited ones do.
// A part of the build machine's type library generator (no platform header).
#pragma once

#include <string>
#include <vector>

namespace korvane::typelib {

struct CoClassInterfaces {
  std::string coClass;
  std::vector<std::string> interfaces;  // in order; the first is the default
};

// `library`: the MSFT bytes of the library; `imported`: those of the one library it imports the
// missing interfaces from, which the library's import table already names (it imports at least
// one of its interfaces). Returns the new bytes, or throws std::runtime_error naming what is
// missing or malformed.
std::string CompleteCoClasses(const std::string& library, const std::string& imported,
                              const std::vector<CoClassInterfaces>& coClasses);

}  // namespace korvane::typelib

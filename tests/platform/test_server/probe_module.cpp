// A module that marks the environment when it is loaded: the type library
// tests read it as data and check that it never ran.
#include <cstdlib>

namespace {

[[gnu::constructor]] void MarkLoaded() {
  ::setenv("KORVANE_PROBE_MODULE_RAN", "1", 1);
}

}  // namespace

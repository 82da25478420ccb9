// The configuration store file, from any bytes: it parses or fails with the
// format's own error, whose line lies within the text, and what parses keeps
// the limits (structures at most 64 deep, at most 10,000 range names per
// session, every logical name resolving to a session).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "standins/ivi_config/store_parser.h"
#include "tests/fuzz/fuzz_input.h"

namespace korvane {
namespace {

using ivi_config::DataComponent;
using ivi_config::StoreModel;

// The deepest structure below components, walked with a stack of its own.
std::size_t Depth(const std::vector<DataComponent>& components) {
  std::vector<std::pair<const std::vector<DataComponent>*, std::size_t>> pending{{&components, 0}};
  std::size_t deepest = 0;
  while (!pending.empty()) {
    const auto [list, depth] = pending.back();
    pending.pop_back();
    for (const DataComponent& component : *list) {
      if (component.type != ivi_config::DataType::Structure) continue;
      deepest = std::max(deepest, depth + 1);
      pending.emplace_back(&component.components, depth + 1);
    }
  }
  return deepest;
}

void CheckStore(const StoreModel& store) {
  for (const auto& session : store.sessions) {
    fuzz::Require(Depth(session.dataComponents) <= 64, "structures nest at most 64 deep");
    long long names = 0;
    for (const auto& name : session.virtualNames) {
      for (const auto& range : name.ranges) {
        fuzz::Require(range.min <= range.max, "a range runs upwards");
        names += static_cast<long long>(range.max) - range.min + 1;
      }
    }
    fuzz::Require(names <= 10000, "a session's ranges stand for at most 10,000 names");
  }
  for (const auto& module : store.softwareModules) {
    fuzz::Require(Depth(module.dataComponents) <= 64, "structures nest at most 64 deep");
  }
  for (const auto& logical : store.logicalNames) {
    fuzz::Require(ivi_config::ResolveSession(store, logical.name) != nullptr,
                  "every logical name has its session");
  }
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    korvane::CheckStore(korvane::ivi_config::ParseStore(text));
  } catch (const korvane::ivi_config::StoreFormatError& error) {
    const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
    korvane::fuzz::Require(error.line() >= 1 && error.line() <= lines,
                           "an error names a line of the text");
  }
  return 0;
}

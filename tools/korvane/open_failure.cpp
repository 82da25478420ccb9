#include "tools/korvane/open_failure.h"

#include <cstdint>
#include <vector>

#include "chassis/korvane_fundamental_api.h"
#include "standins/chassis/virtual_chassis_switch.h"
#include "tools/korvane/exit_codes.h"

namespace korvane::cli {
namespace {

// Room for a scenario error that lists every setting or operation name.
constexpr uint32_t kDescriptionSize = 4096;

// Opens the resource through the chassis access library itself: nothing when
// it opens, else the library's description of its status.
std::optional<OpenFailure> OpenThroughLibrary(const std::string& resource) {
  try {
    Korvane_Fundamental_Api library;
    const int32_t status = library.ioOpen(resource.c_str(), nullptr);
    if (status == 0) {
      library.ioClose();
      return std::nullopt;
    }
    std::vector<char> description(kDescriptionSize, '\0');
    library.getStatusDesc(status, description.data(), kDescriptionSize);
    if (description[0] == '\0') return std::nullopt;
    const bool scenario = status == virtual_chassis::kStatusScenarioError;
    return OpenFailure{description.data(), scenario ? kExitBadInput : kExitDriverError};
  } catch (const Korvane_Fundamental_ConstructionError&) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<OpenFailure> ExplainOpenFailure(const DriverError& error,
                                              const std::string& resource) {
  if (error.call() != "Korvane_InitWithOptions") return std::nullopt;
  // When it opens now, the driver's own message says the rest.
  return OpenThroughLibrary(resource);
}

std::optional<std::string> ScenarioFailure(const std::string& resource) {
  const auto failure = OpenThroughLibrary(resource);
  if (!failure || failure->exit_code != kExitBadInput) return std::nullopt;
  return failure->reason;
}

}  // namespace korvane::cli

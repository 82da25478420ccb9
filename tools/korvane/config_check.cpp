#include "tools/korvane/config_check.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/ole_string.h"
#include "standins/ivi_config/store_file.h"
#include "standins/ivi_config/store_locations.h"
#include "standins/ivi_config/store_model.h"
#include "tools/korvane/exit_codes.h"

namespace korvane::cli {
namespace {

using ivi_config::StoreModel;

std::string DefaultLocation() {
  OleString location = ivi_config::ProcessDefaultLocation();
  if (location.empty()) location = ivi_config::MasterLocation();
  return OleToAnsi(location);
}

std::string SessionLine(const StoreModel& store, const ivi_config::DriverSession& session) {
  std::string line = "  session " + session.name;
  if (session.simulate) line += ", simulated";
  if (const auto* asset = ivi_config::FindByName(store.hardwareAssets, session.hardwareAsset))
    line += ", resource " + asset->ioResourceDescriptor;
  if (!session.softwareModule.empty()) line += ", module " + session.softwareModule;
  if (!session.driverSetup.empty()) line += ", DriverSetup \"" + session.driverSetup + "\"";
  return line;
}

void PrintSummary(const std::string& path, const StoreModel& store) {
  std::printf(
      "%s: valid configuration store: %zu session(s), %zu logical name(s), %zu hardware "
      "asset(s), %zu software module(s)\n",
      path.c_str(), store.sessions.size(), store.logicalNames.size(), store.hardwareAssets.size(),
      store.softwareModules.size());
  for (const auto& session : store.sessions)
    std::printf("%s\n", SessionLine(store, session).c_str());
  for (const auto& logical : store.logicalNames)
    std::printf("  logical name %s -> session %s\n", logical.name.c_str(), logical.session.c_str());
}

nlohmann::json SummaryJson(const std::string& path, const StoreModel& store) {
  nlohmann::json sessions = nlohmann::json::array();
  for (const auto& session : store.sessions) {
    const auto* asset = ivi_config::FindByName(store.hardwareAssets, session.hardwareAsset);
    sessions.push_back({{"name", session.name},
                        {"simulate", session.simulate},
                        {"resource", asset != nullptr ? asset->ioResourceDescriptor : ""},
                        {"software_module", session.softwareModule},
                        {"driver_setup", session.driverSetup}});
  }
  nlohmann::json logicalNames = nlohmann::json::array();
  for (const auto& logical : store.logicalNames)
    logicalNames.push_back({{"name", logical.name}, {"session", logical.session}});
  return {{"file", path},
          {"valid", true},
          {"sessions", sessions},
          {"logical_names", logicalNames},
          {"hardware_assets", store.hardwareAssets.size()},
          {"software_modules", store.softwareModules.size()}};
}

}  // namespace

int ConfigCheck(const std::string& given, bool json) {
  const std::string path = given.empty() ? DefaultLocation() : given;
  if (path.empty()) {
    std::fprintf(stderr, "korvane: no configuration store file: give one, or set %s\n",
                 ivi_config::kProcessDefaultVariable);
    return kExitBadInput;
  }
  try {
    const StoreModel store = ivi_config::LoadStoreFile(AnsiToOle(path));
    if (json) {
      std::printf("%s\n", SummaryJson(path, store).dump(2).c_str());
    } else {
      PrintSummary(path, store);
    }
    return kExitOk;
  } catch (const ivi_config::StoreFileError& error) {
    // A malformed file names its line; a missing or unreadable one has no line.
    if (error.line() != 0) {
      std::fprintf(stderr, "korvane: %s:%d: %s\n", path.c_str(), error.line(),
                   error.reason().c_str());
    } else {
      std::fprintf(stderr, "korvane: %s\n", error.what());
    }
    if (json) {
      nlohmann::json document = {{"file", path}, {"valid", false}, {"reason", error.reason()}};
      if (error.line() != 0) document["line"] = error.line();
      std::printf("%s\n", document.dump(2).c_str());
    }
    return kExitBadInput;
  }
}

}  // namespace korvane::cli

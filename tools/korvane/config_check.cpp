#include "tools/korvane/config_check.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>

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

// The driver's own software module: it names the items and carries the
// settings for every session opened on a plain resource descriptor.
constexpr char kDriverModule[] = "Korvane";

bool SelectorCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '!';
}

// Programs address an item by the name the driver shows for it, so that name
// must be one that a selector can hold.
bool SelectorName(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), SelectorCharacter);
}

// The name with every character a selector cannot hold made '_'.
std::string UsableName(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return !SelectorCharacter(c); }, '_');
  return text.empty() ? "Item" : text;
}

// What in the store the driver cannot use, or nothing.
std::optional<std::string> Unusable(const StoreModel& store) {
  const auto* module = ivi_config::FindByName(store.softwareModules, kDriverModule);
  if (module == nullptr) {
    return std::string("no [SoftwareModule ") + kDriverModule +
           "] section: the driver needs it to open a resource descriptor such as "
           "PXI0::0::INSTR (every such session fails without it); add a line [SoftwareModule " +
           kDriverModule + "]";
  }
  for (const auto& entry : module->nameTable) {
    if (!SelectorName(entry.value)) {
      return "[SoftwareModule " + module->name + "] names " + entry.name + " '" + entry.value +
             "', but programs address the item by the name the driver shows, and a name may "
             "hold only letters, digits, '_' and '!': write '" +
             UsableName(entry.value) + "'";
    }
  }
  return std::nullopt;
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
    if (const auto problem = Unusable(store)) {
      std::fprintf(stderr, "korvane: %s: the driver cannot use this store: %s\n", path.c_str(),
                   problem->c_str());
      if (json) {
        const nlohmann::json document = {{"file", path}, {"valid", false}, {"reason", *problem}};
        std::printf("%s\n", document.dump(2).c_str());
      }
      return kExitBadInput;
    }
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

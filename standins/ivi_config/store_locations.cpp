#include "standins/ivi_config/store_locations.h"

#include "standins/ivi_config/environment.h"

namespace korvane::ivi_config {

namespace {

constexpr OleStringView kStoreFileName = OLESTR("IviConfigurationStore.ini");

// The per-user folder below which programs keep their configuration, or empty.
OleString UserConfigurationFolder() {
#ifdef _WIN32
  return ReadEnvironment("APPDATA").value_or(OleString());
#else
  if (auto folder = ReadEnvironment("XDG_CONFIG_HOME"); folder && !folder->empty()) {
    return *folder;
  }
  auto home = ReadEnvironment("HOME");
  if (!home || home->empty()) return {};
  return *home + OLESTR("/.config");
#endif
}

}  // namespace

OleString ProcessDefaultLocation() {
  return ReadEnvironment(kProcessDefaultVariable).value_or(OleString());
}

OleString MasterLocation() {
  OleString folder = UserConfigurationFolder();
  if (folder.empty()) return {};
#ifdef _WIN32
  folder += OLESTR("\\Korvane\\");
#else
  folder += OLESTR("/korvane/");
#endif
  return folder += kStoreFileName;
}

}  // namespace korvane::ivi_config

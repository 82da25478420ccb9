// Where the configuration store file is looked for.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_STORE_LOCATIONS_H
#define KORVANE_PLATFORM_IVI_CONFIG_STORE_LOCATIONS_H

#include "platform/ole_string.h"

namespace korvane::ivi_config {

// The environment variable that names this process's store file.
inline constexpr char kProcessDefaultVariable[] = "KORVANE_IVI_CONFIG";

// The file named by KORVANE_IVI_CONFIG, or empty. Throws std::bad_alloc.
OleString ProcessDefaultLocation();
// The user's store file (see IIviConfigStore::get_MasterLocation); empty when the system names no
// per-user configuration folder. Throws std::bad_alloc.
OleString MasterLocation();

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_STORE_LOCATIONS_H

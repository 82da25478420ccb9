#pragma once
// The driver information block: what the driver says about itself. Filled
// once at construction, never changed after.

#include <cstdint>

#include "platform/ole_string.h"

namespace korvane {

struct DriverInfo {
  OleString prefix;
  OleString identifier;
  OleString vendor;
  OleString description;
  OleString revision;
  OleString groupCapabilities;
  OleString supportedInstrumentModels;
  OleString defaultModel;
  uint32_t specificationMajorVersion = 0;
  uint32_t specificationMinorVersion = 0;
  bool interchangeCheckSupported = false;
};

}  // namespace korvane

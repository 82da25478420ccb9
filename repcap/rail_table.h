#pragma once
// The four power-supply rails: the chassis library's rail and alarm source of
// each rail item's physical name, its nominal voltage and the span of its
// alarm threshold windows.

#include "chassis/korvane_fundamental_api.h"
#include "platform/ole_string.h"

namespace korvane {

struct RailSpec {
  const OLECHAR* physicalName;
  Korvane_Fundamental_VoltageRail rail;
  double nominal;  // volts, the ExpectedVoltage
  Korvane_Fundamental_AlarmSource alarm;
  double span;  // volts, the width of each threshold window
};

// The rail whose physical name is exactly `physicalName` (case counts), or null.
const RailSpec* RailFromName(OleStringView physicalName);

// Whether `volts` may be the rail's low (`low` true) or high threshold. The
// high threshold of a positive rail and the low threshold of a negative rail
// lie in the window above the nominal voltage N, from N to N + S; the other
// two in the window below it, from N - S to N. Both bounds are inclusive.
// (The -12 V rail's high threshold is the more negative one.)
bool IsRailThresholdInRange(const RailSpec& rail, double volts, bool low);

}  // namespace korvane

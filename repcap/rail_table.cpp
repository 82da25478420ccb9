#include "repcap/rail_table.h"

#include <array>
#include <bit>
#include <cstdint>

namespace korvane {
namespace {

// The +3.3 V rail's span is a quarter of its nominal voltage as the double
// just above 0.825.
constexpr double kSpan3V3 = 0.8250000000000001;
static_assert(std::bit_cast<uint64_t>(kSpan3V3) == 0x3FEA666666666667u);

constexpr std::array<RailSpec, 4> kRails{{
    {OLESTR("VPLUS_3_3"), Korvane_Fundamental_RailPlus3V3, 3.3,
     Korvane_Fundamental_AlarmRailPlus3V3, kSpan3V3},
    {OLESTR("VPLUS_5_0"), Korvane_Fundamental_RailPlus5V, 5.0, Korvane_Fundamental_AlarmRailPlus5V,
     1.25},
    {OLESTR("VPLUS_12_0"), Korvane_Fundamental_RailPlus12V, 12.0,
     Korvane_Fundamental_AlarmRailPlus12V, 3.0},
    {OLESTR("VMINUS_12_0"), Korvane_Fundamental_RailMinus12V, -12.0,
     Korvane_Fundamental_AlarmRailMinus12V, 3.0},
}};

}  // namespace

const RailSpec* RailFromName(OleStringView physicalName) {
  for (const RailSpec& rail : kRails) {
    if (physicalName == rail.physicalName) return &rail;
  }
  return nullptr;
}

bool IsRailThresholdInRange(const RailSpec& rail, double volts, bool low) {
  const bool windowAbove = (rail.nominal >= 0) != low;
  const double lowest = windowAbove ? rail.nominal : rail.nominal - rail.span;
  const double highest = windowAbove ? rail.nominal + rail.span : rail.nominal;
  return volts >= lowest && volts <= highest;
}

}  // namespace korvane

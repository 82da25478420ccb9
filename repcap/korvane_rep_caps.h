#pragma once
// The driver's repeated capability table: temperature sensors, fans and
// voltage rails, in this order, with their item classes and physical names.
//
// The table is constant data, complete before any code runs, so two drivers
// initializing at the same time on different threads read it safely.

#include <cstddef>
#include <span>

#include "repcap/rep_cap_table.h"

namespace korvane {

std::span<const RepCapEntry> KorvaneRepCapTable();

// The positions of the kinds in the table.
inline constexpr std::size_t kTemperatureSensorKind = 0;
inline constexpr std::size_t kFanKind = 1;
inline constexpr std::size_t kVoltageRailKind = 2;

}  // namespace korvane

// How a program turns the virtual chassis on, and how the virtual chassis
// tells it that it is virtual or why it did not answer. Shared by the stand-in
// library and the programs that explain its answers; plain constants only.
//
// The virtual chassis answers only when asked: the environment variable
// KORVANE_VIRTUAL_CHASSIS is "1" (serve PXI0::0::INSTR) or a comma-separated
// list of the resources to serve, or KORVANE_CHASSIS_SCENARIO names a scenario
// file (which also serves PXI0::0::INSTR unless the list says otherwise).
// Without either, ioOpen fails as on a computer without a chassis.
#pragma once

#include <cstdint>

namespace korvane::virtual_chassis {

inline constexpr char kSwitchVariable[] = "KORVANE_VIRTUAL_CHASSIS";
inline constexpr char kScenarioVariable[] = "KORVANE_CHASSIS_SCENARIO";
inline constexpr char kDefaultResource[] = "PXI0::0::INSTR";

// The end of every firmware revision text that the virtual chassis reports;
// programs recognise a virtual chassis by it.
inline constexpr char kFirmwareSuffix[] = " (virtual chassis)";

// What ioOpen answers when the resource has no chassis: the I/O layer's
// "resource not found". getStatusDesc then names the resource and the switch.
inline constexpr int32_t kStatusNoChassis = static_cast<int32_t>(0xBFFF0011u);
// What ioOpen answers while the scenario file cannot be used; getStatusDesc
// then gives the file, the line and the reason.
inline constexpr int32_t kStatusScenarioError = static_cast<int32_t>(0xBFFA00E0u);

}  // namespace korvane::virtual_chassis

// The names of the trigger bus routings, as the driver's enumeration names
// them: KorvaneTrigBusIsolateAll = 0 to KorvaneTrigBus3To2To1 = 7.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvane::cli {

inline constexpr int32_t kTriggerLines = 8;
inline constexpr int32_t kRoutings = 8;

// "KorvaneTrigBus2To1And3" for 5; "" outside 0..7.
std::string RoutingName(int32_t routing);
// What a routing does, in words ("bus 2 drives buses 1 and 3").
const char* RoutingMeaning(int32_t routing);
// The routing a name stands for: the full name or the part after
// "KorvaneTrigBus" ("2To1And3"), ignoring letter case.
std::optional<int32_t> ParseRouting(const std::string& name);
// A trigger line given as 0..7 or PXI_TRIG0..PXI_TRIG7 (letter case ignored).
std::optional<int32_t> ParseTriggerLine(const std::string& text);

}  // namespace korvane::cli

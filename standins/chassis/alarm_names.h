// The chassis's alarms and the one machine spelling of each ("over_temperature",
// "fan_underspeed", "reference_clock", "rail_<NAME>"), used wherever a program
// or a file names an alarm: korvane's JSON and Prometheus labels, and the
// scenario files of the virtual chassis ("alarm fan_underspeed = set").
//
// Plain data without dependencies. It lives with the virtual chassis because
// that library depends on nothing of the driver or its programs; korvane takes
// it from here, as it takes virtual_chassis_switch.h.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace korvane::alarms {

// The chassis-wide alarms; a rail alarm names its rail.
enum class Alarm { kOverTemperature, kFanUnderspeed, kReferenceClock, kRail };

struct AlarmName {
  Alarm alarm;
  std::string_view machine;  // "fan_underspeed"; a rail's alarm adds its rail
  std::string_view words;    // "fan underspeed", for people
};

inline constexpr std::array<AlarmName, 4> kAlarmNames{{
    {Alarm::kOverTemperature, "over_temperature", "over-temperature"},
    {Alarm::kFanUnderspeed, "fan_underspeed", "fan underspeed"},
    {Alarm::kReferenceClock, "reference_clock", "reference clock"},
    {Alarm::kRail, "rail_", "rail "},
}};
static_assert(kAlarmNames[static_cast<std::size_t>(Alarm::kRail)].alarm == Alarm::kRail &&
                  kAlarmNames[static_cast<std::size_t>(Alarm::kFanUnderspeed)].alarm ==
                      Alarm::kFanUnderspeed,
              "kAlarmNames is indexed by Alarm");

inline constexpr const AlarmName& NameOf(Alarm alarm) {
  return kAlarmNames[static_cast<std::size_t>(alarm)];
}

// "fan_underspeed"; for a rail "rail_VPLUS_5_0".
inline std::string MachineName(Alarm alarm, std::string_view rail = {}) {
  std::string name(NameOf(alarm).machine);
  if (alarm == Alarm::kRail) name += rail;
  return name;
}

// "fan underspeed"; for a rail "rail VPLUS_5_0".
inline std::string Words(Alarm alarm, std::string_view rail = {}) {
  std::string name(NameOf(alarm).words);
  if (alarm == Alarm::kRail) name += rail;
  return name;
}

// An alarm as a machine name names it; a rail alarm with the rail's name as
// written after its prefix, not checked against the chassis's rails.
struct NamedAlarm {
  Alarm alarm;
  std::string_view rail;
};

// "fan_underspeed": kFanUnderspeed; "rail_VPLUS_5_0": kRail, "VPLUS_5_0";
// none for a name of no alarm.
inline std::optional<NamedAlarm> ParseMachineName(std::string_view name) {
  for (const AlarmName& entry : kAlarmNames) {
    if (entry.alarm == Alarm::kRail && name.starts_with(entry.machine))
      return NamedAlarm{Alarm::kRail, name.substr(entry.machine.size())};
    if (name == entry.machine) return NamedAlarm{entry.alarm, {}};
  }
  return std::nullopt;
}

}  // namespace korvane::alarms

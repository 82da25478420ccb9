// One reading of the chassis's health, gathered through a session, and the
// renderings of it that `korvane status` offers.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/korvane/chassis_access.h"

namespace korvane::cli {

struct SensorReading {
  std::string name;
  double celsius;
};

struct FanReading {
  std::string name;
  int32_t rpm;
};

struct RailReading {
  std::string name;
  double volts;
  double nominal;
  double low;
  double high;
  bool alarm;
};

struct HealthReport {
  std::string chassis;  // the resource or logical name the session was opened with
  bool simulated = false;
  std::string manufacturer, model, serial, firmware, pcieLink;
  double uptimeSeconds = 0;
  ClockSource clockSource = ClockSource::kInternal;
  bool clockAlarm = false;
  int32_t maxTemperature = 0;
  bool overTemperatureAlarm = false;
  int32_t minFanSpeed = 0;
  bool fanUnderspeedAlarm = false;
  bool fanAutoControl = false;
  int32_t fullFanSpeedTemperature = 0;
  std::vector<SensorReading> sensors;
  std::vector<FanReading> fans;
  std::vector<RailReading> rails;
};

HealthReport ReadHealth(ChassisAccess& chassis, const std::string& name, bool simulated);

// The names of the alarms that are set, in table order ("over-temperature",
// "fan underspeed", "reference clock", "rail VPLUS_5_0"); empty when none is.
std::vector<std::string> AlarmsSet(const HealthReport& report);

const char* ClockSourceName(ClockSource source);

// The health table; colour marks alarms with ANSI escapes.
void WriteTable(std::ostream& out, const HealthReport& report, bool colour);
// The JSON document of tools/korvane/status.schema.json.
void WriteJson(std::ostream& out, const HealthReport& report);
// Gauges in the Prometheus text exposition format.
void WritePrometheus(std::ostream& out, const HealthReport& report);

}  // namespace korvane::cli

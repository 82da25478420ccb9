// The JSON form of `korvane status --json`; its schema is status.schema.json
// beside this file, and its "schema" member names the version of that schema.
#include <nlohmann/json.hpp>
#include <ostream>

#include "tools/korvane/health.h"

namespace korvane::cli {

void WriteJson(std::ostream& out, const HealthReport& report) {
  using nlohmann::json;
  json sensors = json::array();
  for (const auto& sensor : report.sensors)
    sensors.push_back({{"name", sensor.name}, {"celsius", sensor.celsius}});
  json fans = json::array();
  for (const auto& fan : report.fans) fans.push_back({{"name", fan.name}, {"rpm", fan.rpm}});
  json rails = json::array();
  for (const auto& rail : report.rails)
    rails.push_back({{"name", rail.name},
                     {"volts", rail.volts},
                     {"nominal_volts", rail.nominal},
                     {"low_threshold_volts", rail.low},
                     {"high_threshold_volts", rail.high},
                     {"alarm", rail.alarm}});
  json alarms = json::array();
  for (const auto& alarm : AlarmsSet(report)) alarms.push_back(alarm);

  const json document = {
      {"schema", "korvane-status/1"},
      {"chassis", report.chassis},
      {"simulated", report.simulated},
      {"identity",
       {{"manufacturer", report.manufacturer},
        {"model", report.model},
        {"serial_number", report.serial},
        {"firmware_revision", report.firmware}}},
      {"uptime_seconds", report.uptimeSeconds},
      {"pcie_link", report.pcieLink},
      {"reference_clock",
       {{"source", ClockSourceName(report.clockSource)}, {"alarm", report.clockAlarm}}},
      {"temperature",
       {{"alarm_above_celsius", report.maxTemperature},
        {"alarm", report.overTemperatureAlarm},
        {"sensors", sensors}}},
      {"fans",
       {{"alarm_below_rpm", report.minFanSpeed},
        {"alarm", report.fanUnderspeedAlarm},
        {"automatic", report.fanAutoControl},
        {"full_speed_celsius", report.fullFanSpeedTemperature},
        {"fans", fans}}},
      {"voltage_rails", rails},
      {"alarms", alarms}};
  out << document.dump(2) << "\n";
}

}  // namespace korvane::cli

#include "tools/korvane/health.h"

namespace korvane::cli {

HealthReport ReadHealth(ChassisAccess& chassis, const std::string& name, bool simulated) {
  HealthReport report;
  report.chassis = name;
  report.simulated = simulated;
  report.manufacturer = chassis.Text(IdentityText::kManufacturer);
  report.model = chassis.Text(IdentityText::kModel);
  report.serial = chassis.Text(IdentityText::kSerialNumber);
  report.firmware = chassis.Text(IdentityText::kFirmwareRevision);
  report.pcieLink = chassis.Text(IdentityText::kPcieLink);
  report.uptimeSeconds = chassis.UptimeSeconds();
  report.clockSource = chassis.ReferenceClock();
  report.clockAlarm = chassis.AlarmOccurred(Alarm::kReferenceClock);
  report.maxTemperature = chassis.LimitValue(Limit::kMaxTemperature);
  report.overTemperatureAlarm = chassis.AlarmOccurred(Alarm::kOverTemperature);
  report.minFanSpeed = chassis.LimitValue(Limit::kMinFanSpeed);
  report.fanUnderspeedAlarm = chassis.AlarmOccurred(Alarm::kFanUnderspeed);
  report.fanAutoControl = chassis.FanAutoControl();
  report.fullFanSpeedTemperature = chassis.LimitValue(Limit::kFullFanSpeedTemperature);
  for (const auto& sensor : chassis.Names(Collection::kTemperatureSensors))
    report.sensors.push_back({sensor, chassis.Temperature(sensor)});
  for (const auto& fan : chassis.Names(Collection::kFans))
    report.fans.push_back({fan, chassis.FanSpeed(fan)});
  for (const auto& rail : chassis.Names(Collection::kVoltageRails)) {
    report.rails.push_back(
        {rail, chassis.Rail(rail, RailValue::kMeasured), chassis.Rail(rail, RailValue::kNominal),
         chassis.Rail(rail, RailValue::kLowThreshold),
         chassis.Rail(rail, RailValue::kHighThreshold), chassis.AlarmOccurred(Alarm::kRail, rail)});
  }
  return report;
}

std::vector<std::string> AlarmsSet(const HealthReport& report) {
  std::vector<std::string> alarms;
  if (report.overTemperatureAlarm) alarms.push_back("over-temperature");
  if (report.fanUnderspeedAlarm) alarms.push_back("fan underspeed");
  if (report.clockAlarm) alarms.push_back("reference clock");
  for (const auto& rail : report.rails)
    if (rail.alarm) alarms.push_back("rail " + rail.name);
  return alarms;
}

const char* ClockSourceName(ClockSource source) {
  switch (source) {
    case ClockSource::kInternal:
      return "internal";
    case ClockSource::kExternal:
      return "external";
    case ClockSource::kTimingModule:
      return "timing module";
  }
  return "unknown";
}

}  // namespace korvane::cli

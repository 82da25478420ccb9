#include "tools/korvane/health.h"

#include <type_traits>

namespace korvane::cli {
namespace {

// Reads one value; a driver error becomes that value's failure.
template <typename Read>
auto Attempt(Read&& read) -> Reading<std::invoke_result_t<Read>> {
  try {
    return read();
  } catch (const DriverError& error) {
    return ReadFailure{error.status(), Describe(error)};
  }
}

template <typename T>
void Collect(std::vector<ReadFailure>& failures, const Reading<T>& reading) {
  if (const auto* failure = reading.failure()) failures.push_back(*failure);
}

}  // namespace

bool IsVirtualChassis(std::string_view firmware) {
  return firmware.ends_with(kVirtualChassisMark);
}

std::pair<Reading<double>, Reading<double>> LowerUpper(Reading<double> minVoltage,
                                                       Reading<double> maxVoltage,
                                                       const Reading<double>& nominal) {
  if (minVoltage.ok() && maxVoltage.ok()) {
    if (*minVoltage.get() <= *maxVoltage.get()) return {minVoltage, maxVoltage};
    return {maxVoltage, minVoltage};
  }
  const Reading<double>& known = minVoltage.ok() ? minVoltage : maxVoltage;
  const double sign = nominal.ok() ? *nominal.get() : known.value_or(0);
  if (sign < 0) return {maxVoltage, minVoltage};
  return {minVoltage, maxVoltage};
}

HealthReport ReadHealth(ChassisAccess& chassis, const std::string& name, bool simulated) {
  HealthReport report;
  report.chassis = name;
  report.simulated = Attempt([&] { return chassis.Simulating(); }).value_or(simulated);
  const auto text = [&](IdentityText which) {
    return Attempt([&] { return chassis.Text(which); });
  };
  report.manufacturer = text(IdentityText::kManufacturer);
  report.model = text(IdentityText::kModel);
  report.serial = text(IdentityText::kSerialNumber);
  report.firmware = text(IdentityText::kFirmwareRevision);
  report.virtualChassis = IsVirtualChassis(report.firmware.value_or(""));
  report.pcieLink = text(IdentityText::kPcieLink);
  report.uptimeSeconds = Attempt([&] { return chassis.UptimeSeconds(); });
  report.clockSource = Attempt([&] { return chassis.ReferenceClock(); });
  report.clockAlarm = Attempt([&] { return chassis.AlarmOccurred(Alarm::kReferenceClock); });
  report.maxTemperature = Attempt([&] { return chassis.LimitValue(Limit::kMaxTemperature); });
  report.overTemperatureAlarm =
      Attempt([&] { return chassis.AlarmOccurred(Alarm::kOverTemperature); });
  report.minFanSpeed = Attempt([&] { return chassis.LimitValue(Limit::kMinFanSpeed); });
  report.fanUnderspeedAlarm = Attempt([&] { return chassis.AlarmOccurred(Alarm::kFanUnderspeed); });
  report.fanAutoControl = Attempt([&] { return chassis.FanAutoControl(); });
  report.fullFanSpeedTemperature =
      Attempt([&] { return chassis.LimitValue(Limit::kFullFanSpeedTemperature); });

  report.sensors = Attempt([&] {
    std::vector<SensorReading> sensors;
    for (const auto& sensor : chassis.Items(Collection::kTemperatureSensors))
      sensors.push_back(
          {sensor.name, sensor.physical, Attempt([&] { return chassis.Temperature(sensor); })});
    return sensors;
  });
  report.fans = Attempt([&] {
    std::vector<FanReading> fans;
    for (const auto& fan : chassis.Items(Collection::kFans))
      fans.push_back({fan.name, fan.physical, Attempt([&] { return chassis.FanSpeed(fan); })});
    return fans;
  });
  report.rails = Attempt([&] {
    std::vector<RailReading> rails;
    for (const auto& rail : chassis.Items(Collection::kVoltageRails)) {
      const auto value = [&](RailValue which) {
        return Attempt([&] { return chassis.Rail(rail, which); });
      };
      RailReading reading{rail.name,
                          rail.physical,
                          value(RailValue::kMeasured),
                          value(RailValue::kNominal),
                          value(RailValue::kMinVoltage),
                          value(RailValue::kMaxVoltage),
                          {},
                          {},
                          Attempt([&] { return chassis.AlarmOccurred(Alarm::kRail, rail); })};
      std::tie(reading.lower, reading.upper) =
          LowerUpper(reading.minVoltage, reading.maxVoltage, reading.nominal);
      rails.push_back(std::move(reading));
    }
    return rails;
  });
  return report;
}

std::vector<ReadFailure> Failures(const HealthReport& report) {
  std::vector<ReadFailure> failures;
  for (const auto* text :
       {&report.manufacturer, &report.model, &report.serial, &report.firmware, &report.pcieLink})
    Collect(failures, *text);
  Collect(failures, report.uptimeSeconds);
  Collect(failures, report.clockSource);
  Collect(failures, report.clockAlarm);
  Collect(failures, report.maxTemperature);
  Collect(failures, report.overTemperatureAlarm);
  Collect(failures, report.minFanSpeed);
  Collect(failures, report.fanUnderspeedAlarm);
  Collect(failures, report.fanAutoControl);
  Collect(failures, report.fullFanSpeedTemperature);
  Collect(failures, report.sensors);
  for (const auto& sensor : report.sensors.value_or({})) Collect(failures, sensor.celsius);
  Collect(failures, report.fans);
  for (const auto& fan : report.fans.value_or({})) Collect(failures, fan.rpm);
  Collect(failures, report.rails);
  for (const auto& rail : report.rails.value_or({})) {
    Collect(failures, rail.volts);
    Collect(failures, rail.nominal);
    Collect(failures, rail.minVoltage);
    Collect(failures, rail.maxVoltage);
    Collect(failures, rail.alarm);
  }
  return failures;
}

std::vector<std::string> AlarmsSet(const HealthReport& report) {
  std::vector<std::string> alarms;
  const auto add = [&](const Reading<bool>& set, Alarm alarm, const std::string& rail = {}) {
    if (set.value_or(false)) alarms.push_back(MachineName(alarm, rail));
  };
  add(report.overTemperatureAlarm, Alarm::kOverTemperature);
  add(report.fanUnderspeedAlarm, Alarm::kFanUnderspeed);
  add(report.clockAlarm, Alarm::kReferenceClock);
  for (const auto& rail : report.rails.value_or({})) add(rail.alarm, Alarm::kRail, rail.physical);
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

// `korvane status --format prometheus`: the health as gauges in the Prometheus
// text exposition format, for a textfile collector. Every sample carries the
// label chassis; per-item gauges add sensor, fan or rail.
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "tools/korvane/health.h"

namespace korvane::cli {
namespace {

std::string LabelValue(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    if (c == '\n') {
      escaped += "\\n";
      continue;
    }
    escaped += c;
  }
  return escaped;
}

std::string Number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

struct Label {
  const char* name;
  std::string value;
};

class Exposition {
 public:
  Exposition(std::ostream& out, std::string chassis) : out_(out), chassis_(std::move(chassis)) {}

  // Starts a metric family: its HELP and TYPE lines.
  void Family(const char* name, const char* help) {
    name_ = name;
    out_ << "# HELP " << name << " " << help << "\n# TYPE " << name << " gauge\n";
  }
  void Sample(double value, const std::vector<Label>& labels = {}) {
    out_ << name_ << "{chassis=\"" << LabelValue(chassis_) << "\"";
    for (const auto& label : labels)
      out_ << "," << label.name << "=\"" << LabelValue(label.value) << "\"";
    out_ << "} " << Number(value) << "\n";
  }

 private:
  std::ostream& out_;
  std::string chassis_;
  const char* name_ = "";
};

}  // namespace

void WritePrometheus(std::ostream& out, const HealthReport& report) {
  Exposition metrics(out, report.chassis);
  // A value that could not be read is left out.
  const auto sample = [&](const auto& reading, const std::vector<Label>& labels = {}) {
    if (const auto* value = reading.get()) metrics.Sample(static_cast<double>(*value), labels);
  };
  const auto text = [](const Reading<std::string>& reading) { return reading.value_or(""); };
  metrics.Family("korvane_chassis_info", "Identity of the chassis; the value is always 1.");
  metrics.Sample(1, {{"manufacturer", text(report.manufacturer)},
                     {"model", text(report.model)},
                     {"serial_number", text(report.serial)},
                     {"firmware_revision", text(report.firmware)},
                     {"pcie_link", text(report.pcieLink)},
                     {"reference_clock",
                      report.clockSource.ok() ? ClockSourceName(*report.clockSource.get()) : ""}});
  metrics.Family("korvane_uptime_seconds", "Time since the chassis powered on.");
  sample(report.uptimeSeconds);

  const auto sensors = report.sensors.value_or({});
  const auto fans = report.fans.value_or({});
  const auto rails = report.rails.value_or({});
  metrics.Family("korvane_temperature_celsius", "Temperature of a chassis sensor.");
  for (const auto& sensor : sensors) sample(sensor.celsius, {{"sensor", sensor.name}});
  metrics.Family("korvane_temperature_alarm_threshold_celsius",
                 "Temperature above which the over-temperature alarm is raised.");
  sample(report.maxTemperature);

  metrics.Family("korvane_fan_speed_rpm", "Speed of a chassis fan.");
  for (const auto& fan : fans) sample(fan.rpm, {{"fan", fan.name}});
  metrics.Family("korvane_fan_alarm_threshold_rpm",
                 "Fan speed below which the underspeed alarm is raised.");
  sample(report.minFanSpeed);

  metrics.Family("korvane_rail_voltage_volts", "Measured voltage of a power-supply rail.");
  for (const auto& rail : rails) sample(rail.volts, {{"rail", rail.name}});
  metrics.Family("korvane_rail_nominal_volts", "Nominal voltage of a power-supply rail.");
  for (const auto& rail : rails) sample(rail.nominal, {{"rail", rail.name}});
  metrics.Family("korvane_rail_low_threshold_volts", "Lower alarm limit of a rail.");
  for (const auto& rail : rails) sample(rail.lower, {{"rail", rail.name}});
  metrics.Family("korvane_rail_high_threshold_volts", "Upper alarm limit of a rail.");
  for (const auto& rail : rails) sample(rail.upper, {{"rail", rail.name}});

  metrics.Family("korvane_alarm", "1 while a chassis-wide alarm is set, else 0.");
  sample(report.overTemperatureAlarm, {{"alarm", MachineName(Alarm::kOverTemperature)}});
  sample(report.fanUnderspeedAlarm, {{"alarm", MachineName(Alarm::kFanUnderspeed)}});
  sample(report.clockAlarm, {{"alarm", MachineName(Alarm::kReferenceClock)}});
  metrics.Family("korvane_rail_alarm", "1 while the alarm of a rail is set, else 0.");
  for (const auto& rail : rails) sample(rail.alarm, {{"rail", rail.name}});
}

}  // namespace korvane::cli

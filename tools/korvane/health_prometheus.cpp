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
  metrics.Family("korvane_chassis_info", "Identity of the chassis; the value is always 1.");
  metrics.Sample(1, {{"manufacturer", report.manufacturer},
                     {"model", report.model},
                     {"serial_number", report.serial},
                     {"firmware_revision", report.firmware},
                     {"pcie_link", report.pcieLink},
                     {"reference_clock", ClockSourceName(report.clockSource)}});
  metrics.Family("korvane_uptime_seconds", "Time since the chassis powered on.");
  metrics.Sample(report.uptimeSeconds);

  metrics.Family("korvane_temperature_celsius", "Temperature of a chassis sensor.");
  for (const auto& sensor : report.sensors)
    metrics.Sample(sensor.celsius, {{"sensor", sensor.name}});
  metrics.Family("korvane_temperature_alarm_threshold_celsius",
                 "Temperature above which the over-temperature alarm is raised.");
  metrics.Sample(report.maxTemperature);

  metrics.Family("korvane_fan_speed_rpm", "Speed of a chassis fan.");
  for (const auto& fan : report.fans) metrics.Sample(fan.rpm, {{"fan", fan.name}});
  metrics.Family("korvane_fan_alarm_threshold_rpm",
                 "Fan speed below which the underspeed alarm is raised.");
  metrics.Sample(report.minFanSpeed);

  metrics.Family("korvane_rail_voltage_volts", "Measured voltage of a power-supply rail.");
  for (const auto& rail : report.rails) metrics.Sample(rail.volts, {{"rail", rail.name}});
  metrics.Family("korvane_rail_nominal_volts", "Nominal voltage of a power-supply rail.");
  for (const auto& rail : report.rails) metrics.Sample(rail.nominal, {{"rail", rail.name}});
  metrics.Family("korvane_rail_low_threshold_volts", "Low alarm threshold of a rail.");
  for (const auto& rail : report.rails) metrics.Sample(rail.low, {{"rail", rail.name}});
  metrics.Family("korvane_rail_high_threshold_volts", "High alarm threshold of a rail.");
  for (const auto& rail : report.rails) metrics.Sample(rail.high, {{"rail", rail.name}});

  metrics.Family("korvane_alarm", "1 while a chassis-wide alarm is set, else 0.");
  metrics.Sample(report.overTemperatureAlarm, {{"alarm", "over_temperature"}});
  metrics.Sample(report.fanUnderspeedAlarm, {{"alarm", "fan_underspeed"}});
  metrics.Sample(report.clockAlarm, {{"alarm", "reference_clock"}});
  metrics.Family("korvane_rail_alarm", "1 while the alarm of a rail is set, else 0.");
  for (const auto& rail : report.rails) metrics.Sample(rail.alarm, {{"rail", rail.name}});
}

}  // namespace korvane::cli

// The Prometheus text exposition format: one HELP and TYPE line per family,
// then its samples for every chassis. Every sample carries the label chassis;
// per-item families add sensor, fan or rail.
#include <charconv>
#include <chrono>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "standins/chassis/alarm_names.h"
#include "tools/korvane/prometheus.h"

namespace korvane::cli {
namespace {

struct Label {
  const char* name;
  std::string_view value;
};

// Writes the samples of one family for one chassis.
class Samples {
 public:
  Samples(std::ostream& out, const char* family, const std::string& chassis)
      : out_(out), family_(family), chassis_(EscapeLabelValue(chassis)) {}

  void Put(double value, std::initializer_list<Label> labels = {}) {
    out_ << family_ << "{chassis=\"" << chassis_ << '"';
    for (const auto& label : labels)
      out_ << ',' << label.name << "=\"" << EscapeLabelValue(label.value) << '"';
    out_ << "} " << FormatNumber(value) << '\n';
  }
  // A value that was read; one that failed has no sample.
  template <typename T>
  void Put(const Reading<T>& reading, std::initializer_list<Label> labels = {}) {
    if (const T* value = reading.get()) Put(static_cast<double>(*value), labels);
  }

 private:
  std::ostream& out_;
  const char* family_;
  std::string chassis_;
};

template <typename Item, typename Each>
void ForEach(const ItemList<Item>& list, Each each) {
  if (const auto* items = list.get())
    for (const auto& item : *items) each(item);
}

const char* TrueFalse(bool value) {
  return value ? "true" : "false";
}

// The reference clock sources under their label values.
constexpr std::pair<ClockSource, const char*> kClockSources[] = {
    {ClockSource::kInternal, "internal"},
    {ClockSource::kExternal, "external"},
    {ClockSource::kTimingModule, "timing_module"}};

struct Family {
  const char* name;
  const char* type;
  const char* help;
  // Whether the family needs a reading (all but the exporter's own metrics).
  bool fromReading;
  void (*write)(Samples&, const ChassisSample&);
};

// The families in the order they are written.
const Family kFamilies[] = {
    {"korvane_up", "gauge", "1 when the last reading of the chassis reached it, else 0.", false,
     [](Samples& s, const ChassisSample& c) { s.Put(c.report.has_value() ? 1 : 0); }},
    {"korvane_last_reading_timestamp_seconds", "gauge",
     "When the last reading of the chassis ended (successful or not), in Unix seconds.", false,
     [](Samples& s, const ChassisSample& c) { s.Put(c.readingTime); }},
    {"korvane_scrape_duration_seconds", "gauge", "How long the last reading of the chassis took.",
     false,
     [](Samples& s, const ChassisSample& c) {
       if (c.readingSeconds) s.Put(*c.readingSeconds);
     }},
    {"korvane_read_errors_total", "counter",
     "Readings that could not reach the chassis and single values that failed.", false,
     [](Samples& s, const ChassisSample& c) { s.Put(static_cast<double>(c.readErrors)); }},
    {"korvane_reading_failed_values", "gauge",
     "Values that failed in the last reading; their samples are left out.", true,
     [](Samples& s, const ChassisSample& c) { s.Put(static_cast<double>(c.failedValues)); }},
    {"korvane_chassis_info", "gauge", "Identity of the chassis; the value is always 1.", true,
     [](Samples& s, const ChassisSample& c) {
       const HealthReport& r = *c.report;
       s.Put(1, {{"resource", c.resource},
                 {"manufacturer", r.manufacturer.value_or("")},
                 {"model", r.model.value_or("")},
                 {"serial_number", r.serial.value_or("")},
                 {"firmware_revision", r.firmware.value_or("")},
                 {"pcie_link", r.pcieLink.value_or("")},
                 {"virtual", TrueFalse(r.virtualChassis)},
                 {"simulated", TrueFalse(r.simulated)}});
     }},
    {"korvane_boot_time_seconds", "gauge", "When the chassis powered on, in Unix seconds.", true,
     [](Samples& s, const ChassisSample& c) {
       if (const double* uptime = c.report->uptimeSeconds.get())
         s.Put(std::round(c.readingTime - *uptime));
     }},
    {"korvane_reference_clock_source", "gauge",
     "1 for the source the 10 MHz reference clock comes from, 0 for the others.", true,
     [](Samples& s, const ChassisSample& c) {
       if (const ClockSource* source = c.report->clockSource.get())
         for (const auto& [each, name] : kClockSources) s.Put(*source == each, {{"source", name}});
     }},
    {"korvane_temperature_celsius", "gauge", "Temperature of a chassis sensor.", true,
     [](Samples& s, const ChassisSample& c) {
       ForEach(c.report->sensors, [&](const SensorReading& sensor) {
         s.Put(sensor.celsius, {{"sensor", sensor.name}});
       });
     }},
    {"korvane_temperature_alarm_threshold_celsius", "gauge",
     "Temperature above which the over-temperature alarm is raised.", true,
     [](Samples& s, const ChassisSample& c) { s.Put(c.report->maxTemperature); }},
    {"korvane_fan_speed_rpm", "gauge", "Speed of a chassis fan.", true,
     [](Samples& s, const ChassisSample& c) {
       ForEach(c.report->fans, [&](const FanReading& fan) { s.Put(fan.rpm, {{"fan", fan.name}}); });
     }},
    {"korvane_fan_alarm_threshold_rpm", "gauge",
     "Fan speed below which the underspeed alarm is raised.", true,
     [](Samples& s, const ChassisSample& c) { s.Put(c.report->minFanSpeed); }},
    {"korvane_rail_voltage_volts", "gauge", "Measured voltage of a power-supply rail.", true,
     [](Samples& s, const ChassisSample& c) {
       ForEach(c.report->rails, [&](const RailReading& rail) {
         s.Put(rail.volts, {{"rail", rail.name}});
       });
     }},
    {"korvane_rail_nominal_volts", "gauge", "Nominal voltage of a power-supply rail.", true,
     [](Samples& s, const ChassisSample& c) {
       ForEach(c.report->rails, [&](const RailReading& rail) {
         s.Put(rail.nominal, {{"rail", rail.name}});
       });
     }},
    {"korvane_rail_lower_limit_volts", "gauge",
     "Lower alarm limit of a rail (the smaller number, also for a negative rail).", true,
     [](Samples& s, const ChassisSample& c) {
       ForEach(c.report->rails, [&](const RailReading& rail) {
         s.Put(rail.lower, {{"rail", rail.name}});
       });
     }},
    {"korvane_rail_upper_limit_volts", "gauge", "Upper alarm limit of a rail.", true,
     [](Samples& s, const ChassisSample& c) {
       ForEach(c.report->rails, [&](const RailReading& rail) {
         s.Put(rail.upper, {{"rail", rail.name}});
       });
     }},
    {"korvane_alarm", "gauge", "1 while a chassis-wide alarm is set, else 0.", true,
     [](Samples& s, const ChassisSample& c) {
       const HealthReport& r = *c.report;
       const std::pair<Alarm, const Reading<bool>*> alarms[] = {
           {Alarm::kOverTemperature, &r.overTemperatureAlarm},
           {Alarm::kFanUnderspeed, &r.fanUnderspeedAlarm},
           {Alarm::kReferenceClock, &r.clockAlarm}};
       for (const auto& [alarm, reading] : alarms) s.Put(*reading, {{"alarm", MachineName(alarm)}});
     }},
    {"korvane_rail_alarm", "gauge", "1 while the alarm of a rail is set, else 0.", true,
     [](Samples& s, const ChassisSample& c) {
       ForEach(c.report->rails, [&](const RailReading& rail) {
         s.Put(rail.alarm, {{"rail", rail.name}});
       });
     }},
};

}  // namespace

std::string EscapeLabelValue(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '"':
        escaped += "\\\"";
        break;
      case '\n':
        escaped += "\\n";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string FormatNumber(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

void WriteExposition(std::ostream& out, const std::vector<ChassisSample>& chassis) {
  for (const Family& family : kFamilies) {
    out << "# HELP " << family.name << ' ' << family.help << "\n# TYPE " << family.name << ' '
        << family.type << '\n';
    for (const ChassisSample& each : chassis) {
      if (family.fromReading && !each.report) continue;
      Samples samples(out, family.name, each.label);
      family.write(samples, each);
    }
  }
}

ChassisSample SampleOf(HealthReport report, std::string name) {
  ChassisSample sample;
  sample.resource = report.chassis;
  sample.label = !name.empty() ? std::move(name) : report.serial.value_or(report.chassis);
  if (sample.label.empty()) sample.label = report.chassis;
  sample.failedValues = Failures(report).size();
  sample.readErrors = sample.failedValues;
  sample.readingTime =
      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  sample.report = std::move(report);
  return sample;
}

void WritePrometheus(std::ostream& out, const HealthReport& report) {
  WriteExposition(out, {SampleOf(report, {})});
}

}  // namespace korvane::cli

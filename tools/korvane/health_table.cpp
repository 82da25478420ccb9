// The health table of `korvane status` and `korvane watch`. A value that could
// not be read shows its error in its place; every other value prints.
#include <cstdarg>
#include <cstdio>
#include <ostream>
#include <string>

#include "tools/korvane/health.h"

namespace korvane::cli {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

// The marks of the table: "ALARM" (red on a terminal), "ok", and errors.
class Marks {
 public:
  explicit Marks(bool colour) : colour_(colour) {}
  std::string operator()(const Reading<bool>& alarm) const {
    if (!alarm.ok()) return Paint("\x1b[1;31m", "error");
    return *alarm.get() ? Paint("\x1b[1;31m", "ALARM") : Paint("\x1b[32m", "ok");
  }
  std::string Error(const ReadFailure& failure) const {
    return Paint("\x1b[1;31m", "error: ") + failure.message;
  }

 private:
  std::string Paint(const char* escape, const std::string& text) const {
    return colour_ ? escape + text + "\x1b[0m" : text;
  }
  bool colour_;
};

std::string Uptime(double seconds) {
  const auto total = static_cast<long long>(seconds);
  return Format("%lldd %02lld:%02lld:%02lld (%.0f s)", total / 86400, total / 3600 % 24,
                total / 60 % 60, total % 60, seconds);
}

// The text of a value, or its error.
template <typename T, typename Show>
std::string Shown(const Reading<T>& reading, const Marks& mark, Show&& show) {
  if (const T* value = reading.get()) return show(*value);
  return mark.Error(*reading.failure());
}

std::string Text(const Reading<std::string>& reading, const Marks& mark) {
  return Shown(reading, mark, [](const std::string& text) { return text; });
}

std::string Number(const Reading<int32_t>& reading, const Marks& mark) {
  return Shown(reading, mark, [](int32_t value) { return std::to_string(value); });
}

// "Q7730A at PXI0::0::INSTR (virtual chassis)"
std::string Heading(const HealthReport& report) {
  std::string heading = report.model.value_or("Chassis") + " at " + report.chassis;
  if (report.simulated) heading += " (simulated)";
  if (report.virtualChassis) heading += std::string(kVirtualChassisMark);
  return heading;
}

}  // namespace

void WriteTable(std::ostream& out, const HealthReport& report, TableStyle style) {
  const Marks mark(style.colour);
  out << Heading(report) << "\n\nChassis\n";
  const auto field = [&](const char* name, const std::string& value) {
    out << Format("  %-20s ", name) << value << "\n";
  };
  field("Manufacturer", Text(report.manufacturer, mark));
  field("Model", Text(report.model, mark));
  field("Serial number", Text(report.serial, mark));
  field("Firmware revision", Text(report.firmware, mark));
  field("Up time", Shown(report.uptimeSeconds, mark, Uptime));
  field("PCIe link", Text(report.pcieLink, mark));
  field("Reference clock", Shown(report.clockSource, mark,
                                 [](ClockSource source) { return ClockSourceName(source); }) +
                               "  change alarm: " + mark(report.clockAlarm));

  const auto maxTemperature = report.maxTemperature.get();
  out << "\nTemperatures         alarm above " << Number(report.maxTemperature, mark)
      << " C: " << mark(report.overTemperatureAlarm) << "\n";
  if (const auto* failure = report.sensors.failure()) out << "  " << mark.Error(*failure) << "\n";
  for (const auto& sensor : report.sensors.value_or({})) {
    out << Format("  %-12s ", sensor.name.c_str());
    if (const double* celsius = sensor.celsius.get()) {
      out << Format("%8.1f C%s\n", *celsius,
                    maxTemperature && *celsius > *maxTemperature ? "  over limit" : "");
    } else {
      out << mark.Error(*sensor.celsius.failure()) << "\n";
    }
  }

  const auto minFanSpeed = report.minFanSpeed.get();
  out << "\nFans                 alarm below " << Number(report.minFanSpeed, mark)
      << " rpm: " << mark(report.fanUnderspeedAlarm) << "\n";
  field("Control",
        Shown(report.fanAutoControl, mark,
              [](bool automatic) { return std::string(automatic ? "automatic" : "manual"); }) +
            ", full speed at " + Number(report.fullFanSpeedTemperature, mark) + " C");
  if (const auto* failure = report.fans.failure()) out << "  " << mark.Error(*failure) << "\n";
  for (const auto& fan : report.fans.value_or({})) {
    out << Format("  %-12s ", fan.name.c_str());
    if (const int32_t* rpm = fan.rpm.get()) {
      out << Format("%8d rpm%s\n", *rpm, minFanSpeed && *rpm < *minFanSpeed ? "  under limit" : "");
    } else {
      out << mark.Error(*fan.rpm.failure()) << "\n";
    }
  }

  out << "\n"
      << Format("%-14s%9s  %9s  %9s  %9s  alarm\n", "Voltage rails", "measured", "nominal", "lower",
                "upper");
  if (const auto* failure = report.rails.failure()) out << "  " << mark.Error(*failure) << "\n";
  for (const auto& rail : report.rails.value_or({})) {
    out << Format("  %-12s", rail.name.c_str());
    std::string errors;
    for (const auto* value : {&rail.volts, &rail.nominal, &rail.lower, &rail.upper}) {
      if (const double* volts = value->get()) {
        out << Format(" %8.3f V", *volts);
      } else {
        out << Format(" %10s", "error");
        if (errors.empty()) errors = mark.Error(*value->failure());
      }
    }
    out << "  " << mark(rail.alarm) << "\n";
    if (const auto* failure = rail.alarm.failure(); errors.empty() && failure)
      errors = mark.Error(*failure);
    if (!errors.empty()) out << "    " << errors << "\n";
  }
}

}  // namespace korvane::cli

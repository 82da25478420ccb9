// The health table of `korvane status` and `korvane watch`.
#include <cstdarg>
#include <cstdio>
#include <ostream>
#include <string>

#include "tools/korvane/health.h"

namespace korvane::cli {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

// The alarm mark of a row: "ALARM" (red on a terminal) or "ok".
class Marks {
 public:
  explicit Marks(bool colour) : colour_(colour) {}
  std::string operator()(bool alarm) const {
    if (!alarm) return colour_ ? "\x1b[32mok\x1b[0m" : "ok";
    return colour_ ? "\x1b[1;31mALARM\x1b[0m" : "ALARM";
  }

 private:
  bool colour_;
};

std::string Uptime(double seconds) {
  const auto total = static_cast<long long>(seconds);
  return Format("%lldd %02lld:%02lld:%02lld (%.0f s)", total / 86400, total / 3600 % 24,
                total / 60 % 60, total % 60, seconds);
}

}  // namespace

void WriteTable(std::ostream& out, const HealthReport& report, bool colour) {
  const Marks mark(colour);
  out << report.model << " at " << report.chassis << (report.simulated ? " (simulated)" : "")
      << "\n\nChassis\n";
  const auto field = [&](const char* name, const std::string& value) {
    out << Format("  %-20s ", name) << value << "\n";
  };
  field("Manufacturer", report.manufacturer);
  field("Model", report.model);
  field("Serial number", report.serial);
  field("Firmware revision", report.firmware);
  field("Up time", Uptime(report.uptimeSeconds));
  field("PCIe link", report.pcieLink);
  field("Reference clock", std::string(ClockSourceName(report.clockSource)) +
                               "  change alarm: " + mark(report.clockAlarm));

  out << "\nTemperatures         alarm above " << report.maxTemperature
      << " C: " << mark(report.overTemperatureAlarm) << "\n";
  for (const auto& sensor : report.sensors)
    out << Format("  %-12s %8.1f C%s\n", sensor.name.c_str(), sensor.celsius,
                  sensor.celsius > report.maxTemperature ? "  over limit" : "");

  out << "\nFans                 alarm below " << report.minFanSpeed
      << " rpm: " << mark(report.fanUnderspeedAlarm) << "\n"
      << Format("  %-20s %s, full speed at %d C\n", "Control",
                report.fanAutoControl ? "automatic" : "manual", report.fullFanSpeedTemperature);
  for (const auto& fan : report.fans)
    out << Format("  %-12s %8d rpm%s\n", fan.name.c_str(), fan.rpm,
                  fan.rpm < report.minFanSpeed ? "  under limit" : "");

  out << "\nVoltage rails     measured    nominal        low       high  alarm\n";
  for (const auto& rail : report.rails)
    out << Format("  %-12s %9.3f V %8.3f V %8.3f V %8.3f V  ", rail.name.c_str(), rail.volts,
                  rail.nominal, rail.low, rail.high)
        << mark(rail.alarm) << "\n";
}

}  // namespace korvane::cli

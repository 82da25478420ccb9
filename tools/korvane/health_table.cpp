// The health table of `korvane status` and `korvane watch`. A value that could
// not be read shows its error in its place; every other value prints.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

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

namespace {

void WriteFullTable(std::ostream& out, const HealthReport& report, const Marks& mark) {
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
        out << Format(" %8s  ", "error");
        if (errors.empty()) errors = mark.Error(*value->failure());
      }
    }
    out << "  " << mark(rail.alarm) << "\n";
    if (const auto* failure = rail.alarm.failure(); errors.empty() && failure)
      errors = mark.Error(*failure);
    if (!errors.empty()) out << "    " << errors << "\n";
  }
}

// Items side by side: "TS1   28.0" cells, as many to a line as the width takes.
class Grid {
 public:
  Grid(std::vector<std::string>& lines, int columns) : lines_(lines), columns_(columns) {}
  void Add(const std::string& cell, int width) {
    if (line_.empty() || static_cast<int>(line_.size()) + 2 + width > columns_) Flush();
    line_ += line_ == "  " ? "" : "  ";
    line_ +=
        cell + std::string(width > static_cast<int>(cell.size()) ? width - cell.size() : 0, ' ');
  }
  void Flush() {
    if (line_.size() > 2) lines_.push_back(line_);
    line_ = "  ";
  }

 private:
  std::vector<std::string>& lines_;
  int columns_;
  std::string line_;
};

template <typename Item>
size_t WidestName(const ItemList<Item>& list) {
  size_t widest = 0;
  for (const auto& item : list.value_or({})) widest = std::max(widest, item.name.size());
  return widest;
}

void WriteCompactTable(std::ostream& out, const HealthReport& report, const Marks& mark,
                       TableStyle style) {
  // Errors are listed below the values; in their place a value says "error".
  const Marks plain(false);
  const auto value = [&](const auto& reading, auto&& show) -> std::string {
    if (const auto* read = reading.get()) return show(*read);
    return "error";
  };
  std::vector<std::string> lines;
  lines.push_back(Heading(report) + "  serial " + value(report.serial, [](auto& t) { return t; }));
  lines.push_back("Firmware " + value(report.firmware, [](auto& t) { return t; }) + "  PCIe " +
                  value(report.pcieLink, [](auto& t) { return t; }) + "  up " +
                  value(report.uptimeSeconds,
                        [](double s) { return Uptime(s).substr(0, Uptime(s).find(" (")); }) +
                  "  clock " +
                  value(report.clockSource,
                        [](ClockSource source) { return std::string(ClockSourceName(source)); }) +
                  " " + mark(report.clockAlarm));

  lines.push_back("Temperatures, alarm above " + Number(report.maxTemperature, plain) +
                  " C: " + mark(report.overTemperatureAlarm));
  Grid grid(lines, style.columns);
  const auto sensorWidth = static_cast<int>(WidestName(report.sensors)) + 7;
  for (const auto& sensor : report.sensors.value_or({}))
    grid.Add(sensor.name + " " + value(sensor.celsius, [](double c) { return Format("%5.1f", c); }),
             sensorWidth);
  grid.Flush();

  lines.push_back(
      "Fans, alarm below " + Number(report.minFanSpeed, plain) +
      " rpm: " + mark(report.fanUnderspeedAlarm) + "  " +
      value(report.fanAutoControl, [](bool a) { return std::string(a ? "automatic" : "manual"); }) +
      ", full speed at " + Number(report.fullFanSpeedTemperature, plain) + " C");
  const auto fanWidth = static_cast<int>(WidestName(report.fans)) + 6;
  for (const auto& fan : report.fans.value_or({}))
    grid.Add(fan.name + " " + value(fan.rpm, [](int32_t r) { return Format("%5d", r); }), fanWidth);
  grid.Flush();

  const auto railWidth = std::max<int>(static_cast<int>(WidestName(report.rails)), 12);
  lines.push_back(
      Format("%-*s %9s  %9s  %9s  alarm", railWidth + 2, "Rails", "measured", "lower", "upper"));
  for (const auto& rail : report.rails.value_or({})) {
    std::string line = Format("  %-*s", railWidth, rail.name.c_str());
    for (const auto* volts : {&rail.volts, &rail.lower, &rail.upper})
      line += volts->ok() ? Format(" %8.3f V", *volts->get()) : Format(" %8s  ", "error");
    lines.push_back(line + "  " + mark(rail.alarm));
  }

  const auto failures = Failures(report);
  const int room = style.rows - static_cast<int>(lines.size());
  for (size_t shown = 0; shown < failures.size(); ++shown) {
    if (static_cast<int>(shown) + 1 >= room && shown + 1 < failures.size()) {
      lines.push_back("... and " + std::to_string(failures.size() - shown) + " more errors");
      break;
    }
    lines.push_back(mark.Error(failures[shown]));
  }
  for (const auto& line : lines) out << CutToWidth(line, style.columns, style.colour) << "\n";
}

}  // namespace

std::string CutToWidth(const std::string& line, int columns, bool colour) {
  int shown = 0;
  for (size_t at = 0; at < line.size(); ++at) {
    if (line[at] == '\x1b') {
      at = line.find('m', at);
      if (at == std::string::npos) break;
      continue;
    }
    if ((static_cast<unsigned char>(line[at]) & 0xC0) == 0x80) continue;  // UTF-8 continuation
    if (++shown > columns) return line.substr(0, at) + (colour ? "\x1b[0m" : "");
  }
  return line;
}

void WriteTable(std::ostream& out, const HealthReport& report, TableStyle style) {
  const Marks mark(style.colour);
  if (style.compact) return WriteCompactTable(out, report, mark, style);
  WriteFullTable(out, report, mark);
}

}  // namespace korvane::cli

// The page needs nothing from elsewhere (no scripts, fonts or style sheets
// fetched), fits a phone's width, and marks alarms and failed values by
// colour and by word, so that it reads the same in black and white.
#include "tools/korvane/health_page.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "standins/chassis/alarm_names.h"
#include "tools/korvane/html_text.h"

namespace korvane::cli {
namespace {

constexpr const char* kStyle = R"(
body{font-family:system-ui,sans-serif;margin:0;padding:.5rem;background:#f4f5f7;color:#1b1f24}
h1{font-size:1.3rem;margin:.3rem 0}h2{font-size:1.15rem;margin:0 0 .3rem}
.note{color:#555;font-size:.9rem;margin:.2rem 0 .6rem}
.chassis{background:#fff;border-radius:8px;padding:.6rem .8rem;margin:0 0 .8rem;
border-left:8px solid #2e7d32}
.chassis.alarm{border-left-color:#c62828}.chassis.down{border-left-color:#6d6d6d}
.chassis.failed{border-left-color:#ef6c00}
.badge{display:inline-block;font-size:.8rem;padding:.1rem .45rem;border-radius:1rem;
margin-left:.3rem;vertical-align:middle;color:#fff;background:#2e7d32}
.badge.alarm{background:#c62828}.badge.down{background:#6d6d6d}.badge.failed{background:#ef6c00}
.badge.virtual{background:#5e35b1}.badge.simulated{background:#00838f}
.grid{display:flex;flex-wrap:wrap;gap:.8rem}.grid>div{flex:1 1 16rem;min-width:0;overflow-x:auto}
.grid>div.rails{flex:2 1 30rem}
h3{font-size:1rem;margin:.4rem 0 .2rem}
table{border-collapse:collapse;width:100%;font-variant-numeric:tabular-nums}
td,th{padding:.15rem .4rem;text-align:right;border-bottom:1px solid #e3e5e8;white-space:nowrap}
td:first-child,th:first-child{text-align:left}table.info td{white-space:normal}
tr.alarm td{background:#ffebee;color:#b71c1c;font-weight:600}
td.failed,tr.failed td{background:#fff3e0;color:#e65100}
.alarms{color:#b71c1c;font-weight:600}.error,.failures{color:#e65100}
)";

std::string Printf(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A table cell: the value in its format, or "failed" with the reason.
template <typename T>
std::string Cell(const Reading<T>& reading, const char* format) {
  if (const T* value = reading.get())
    return "<td>" + Printf(format, static_cast<double>(*value)) + "</td>";
  return "<td class=\"failed\" title=\"" + HtmlEscaped(reading.failure()->message) +
         "\">failed</td>";
}

std::string Text(const Reading<std::string>& reading) {
  if (const auto* value = reading.get()) return HtmlEscaped(*value);
  return "<span class=\"failed\">failed</span>";
}

// Pages are made on several threads at once, and localtime shares one result.
std::string LocalTime(double unixSeconds) {
  static std::mutex shared;
  const std::time_t when = static_cast<std::time_t>(unixSeconds);
  char text[32];
  const std::lock_guard lock(shared);
  std::strftime(text, sizeof text, "%H:%M:%S", std::localtime(&when));
  return text;
}

// An alarm's machine name ("rail_VPLUS_5_0") as people read it ("rail VPLUS_5_0").
std::string InWords(const std::string& machine) {
  const auto named = alarms::ParseMachineName(machine);
  return named ? Words(named->alarm, named->rail) : machine;
}

// The state of a chassis in one word, which is also its CSS class.
const char* State(const ChassisSample& sample) {
  if (!sample.report) return "down";
  if (!AlarmsSet(*sample.report).empty()) return "alarm";
  if (sample.failedValues > 0) return "failed";
  return "ok";
}

void WriteDetails(std::ostream& out, const HealthReport& r) {
  out << "<div class=\"grid\"><div><h3>Chassis</h3><table class=\"info\">"
      << "<tr><td>Manufacturer</td><td>" << Text(r.manufacturer) << "</td></tr>"
      << "<tr><td>Firmware</td><td>" << Text(r.firmware) << "</td></tr>"
      << "<tr><td>PCIe link</td><td>" << Text(r.pcieLink) << "</td></tr>"
      << "<tr><td>Up time</td>" << Cell(r.uptimeSeconds, "%.0f s") << "</tr>";
  out << "<tr" << (r.clockAlarm.value_or(false) ? " class=\"alarm\"" : "")
      << "><td>Reference clock</td><td>";
  if (const ClockSource* source = r.clockSource.get())
    out << ClockSourceName(*source);
  else
    out << "failed";
  out << (r.clockAlarm.value_or(false) ? " (changed: ALARM)" : "") << "</td></tr></table></div>";

  const bool hot = r.overTemperatureAlarm.value_or(false);
  out << "<div><h3>Temperatures" << (hot ? ": ALARM" : "") << "</h3><table><tr><th>Sensor</th>"
      << "<th>&deg;C</th></tr>";
  const double above = r.maxTemperature.value_or(INT32_MAX);
  if (const auto* sensors = r.sensors.get())
    for (const auto& sensor : *sensors)
      out << "<tr" << (sensor.celsius.value_or(-INFINITY) > above ? " class=\"alarm\"" : "")
          << "><td>" << HtmlEscaped(sensor.name) << "</td>" << Cell(sensor.celsius, "%.1f")
          << "</tr>";
  out << "<tr><td>alarm above</td>" << Cell(r.maxTemperature, "%.0f") << "</tr></table></div>";

  const bool slow = r.fanUnderspeedAlarm.value_or(false);
  out << "<div><h3>Fans" << (slow ? ": ALARM" : "") << "</h3><table><tr><th>Fan</th>"
      << "<th>rpm</th></tr>";
  const double below = r.minFanSpeed.value_or(0);
  if (const auto* fans = r.fans.get())
    for (const auto& fan : *fans)
      out << "<tr" << (fan.rpm.value_or(INT32_MAX) < below ? " class=\"alarm\"" : "") << "><td>"
          << HtmlEscaped(fan.name) << "</td>" << Cell(fan.rpm, "%.0f") << "</tr>";
  out << "<tr><td>alarm below</td>" << Cell(r.minFanSpeed, "%.0f") << "</tr></table></div>";

  out << "<div class=\"rails\"><h3>Voltage rails</h3><table><tr><th>Rail</th><th>V</th>"
      << "<th>nominal</th><th>lower</th><th>upper</th><th>alarm</th></tr>";
  if (const auto* rails = r.rails.get())
    for (const auto& rail : *rails) {
      const bool alarm = rail.alarm.value_or(false);
      out << "<tr" << (alarm ? " class=\"alarm\"" : "") << "><td>" << HtmlEscaped(rail.name)
          << "</td>" << Cell(rail.volts, "%.3f") << Cell(rail.nominal, "%.3f")
          << Cell(rail.lower, "%.3f") << Cell(rail.upper, "%.3f")
          << (rail.alarm.ok() ? (alarm ? "<td>ALARM</td>" : "<td>ok</td>")
                              : "<td class=\"failed\">failed</td>")
          << "</tr>";
    }
  out << "</table></div></div>";
}

void WriteChassis(std::ostream& out, const ChassisSample& sample) {
  const char* state = State(sample);
  out << "<section class=\"chassis " << state << "\"><h2>" << HtmlEscaped(sample.label)
      << "<span class=\"badge " << state << "\">" << state << "</span>";
  if (sample.report && sample.report->virtualChassis)
    out << "<span class=\"badge virtual\">virtual chassis</span>";
  if (sample.report && sample.report->simulated)
    out << "<span class=\"badge simulated\">simulated</span>";
  out << "</h2><p class=\"note\">";
  if (sample.report) out << Text(sample.report->model) << " at ";
  out << "'" << HtmlEscaped(sample.resource) << "'";
  if (sample.report) out << ", serial " << Text(sample.report->serial);
  out << ", read " << LocalTime(sample.readingTime) << "</p>";
  if (!sample.report) {
    out << "<p class=\"error\">" << HtmlEscaped(sample.error) << "</p></section>";
    return;
  }
  const auto alarms = AlarmsSet(*sample.report);
  if (!alarms.empty()) {
    out << "<p class=\"alarms\">Alarms set: ";
    for (size_t i = 0; i < alarms.size(); ++i)
      out << (i ? ", " : "") << HtmlEscaped(InWords(alarms[i]));
    out << "</p>";
  }
  WriteDetails(out, *sample.report);
  const auto failures = Failures(*sample.report);
  if (!failures.empty()) {
    out << "<ul class=\"failures\">";
    for (const auto& failure : failures) out << "<li>" << HtmlEscaped(failure.message) << "</li>";
    out << "</ul>";
  }
  out << "</section>";
}

}  // namespace

void WriteHealthPage(std::ostream& out, const std::vector<ChassisSample>& chassis,
                     double refreshSeconds) {
  size_t notOk = 0;
  for (const auto& sample : chassis) notOk += std::string_view(State(sample)) != "ok";
  const std::string refresh = Printf("%.0f", std::ceil(refreshSeconds));
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
      << "<meta http-equiv=\"refresh\" content=\"" << refresh << "\">"
      << "<title>" << (notOk > 0 ? "(" + std::to_string(notOk) + ") " : "")
      << "Chassis health</title><style>" << kStyle << "</style></head><body>"
      << "<h1>Chassis health</h1><p class=\"note\">" << chassis.size()
      << " chassis; this page reloads every " << refresh << " s</p>";
  for (const auto& sample : chassis) WriteChassis(out, sample);
  out << "</body></html>\n";
}

}  // namespace korvane::cli

#include "tools/korvane/commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tools/korvane/exit_codes.h"
#include "tools/korvane/health.h"
#include "tools/korvane/open_failure.h"
#include "tools/korvane/terminal.h"
#include "tools/korvane/trigger_routes.h"

namespace korvane::cli {
namespace {

using nlohmann::json;

// Colour marks alarms on a terminal, unless the user asked for none (NO_COLOR).
bool Colour() {
  const char* noColour = std::getenv("NO_COLOR");
  return IsTerminal(stdout) && (noColour == nullptr || *noColour == '\0');
}

// Which chassis a command talks to, as every output names it.
struct Subject {
  std::string chassis;
  bool simulated = false;
  bool virtualChassis = false;

  // "PXI0::0::INSTR (virtual chassis)"
  std::string Words() const {
    return chassis + (simulated ? " (simulated)" : "") +
           (virtualChassis ? std::string(kVirtualChassisMark) : "");
  }
  json Json() const {
    return {{"chassis", chassis}, {"simulated", simulated}, {"virtual_chassis", virtualChassis}};
  }
};

Subject SubjectOf(ChassisAccess& chassis, const Target& target) {
  bool simulated = target.simulated;
  try {
    simulated = chassis.Simulating();
  } catch (const DriverError&) {
    // The command line's switch stands in for what the session cannot tell.
  }
  return {target.request.resource, simulated,
          IsVirtualChassis(chassis.Text(IdentityText::kFirmwareRevision))};
}

void PrintJson(const json& document) {
  std::cout << document.dump(2) << "\n";
  std::cout.flush();
}

// Every alarm of the chassis with its name and how to reach it.
struct AlarmSlot {
  std::string name;
  Alarm alarm;
  ChassisItem rail;
};

std::vector<AlarmSlot> AlarmSlots(ChassisAccess& chassis) {
  std::vector<AlarmSlot> slots;
  for (const Alarm alarm : {Alarm::kOverTemperature, Alarm::kFanUnderspeed, Alarm::kReferenceClock})
    slots.push_back({MachineName(alarm), alarm, {}});
  for (const auto& rail : chassis.Items(Collection::kVoltageRails))
    slots.push_back({MachineName(Alarm::kRail, rail.physical), Alarm::kRail, rail});
  return slots;
}

// The trigger lines given, as text or JSON.
void PrintRoutings(ChassisAccess& chassis, const Subject& subject, const std::vector<int>& lines,
                   Output output) {
  json entries = json::array();
  if (output == Output::kText) std::printf("Trigger lines of %s\n", subject.Words().c_str());
  for (const int line : lines) {
    const int32_t routing = chassis.TriggerRouting(line);
    if (output == Output::kText) {
      std::printf("  PXI_TRIG%d  %-24s %s\n", line, RoutingName(routing).c_str(),
                  RoutingMeaning(routing));
    } else {
      entries.push_back({{"line", line},
                         {"name", "PXI_TRIG" + std::to_string(line)},
                         {"routing", RoutingName(routing)},
                         {"value", routing},
                         {"meaning", RoutingMeaning(routing)}});
    }
  }
  if (output == Output::kJson) {
    json document = subject.Json();
    document["trigger_lines"] = entries;
    PrintJson(document);
  }
}

std::vector<int> AllLines() {
  std::vector<int> lines;
  for (int line = 0; line < kTriggerLines; ++line) lines.push_back(line);
  return lines;
}

std::string Clock() {
  const std::time_t now = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%H:%M:%S", std::localtime(&now));
  return text;
}

// One refresh of `watch` on a terminal: the header's lines cut to the width,
// and the reading in the layout that fits below them.
std::string Screen(const std::string& header, const HealthReport& report, bool colour) {
  const TerminalSize size = SizeOf(stdout).value_or(TerminalSize{80, 24});
  std::string top;
  int rows = 1;  // the blank line below the header
  std::istringstream headerLines(header);
  for (std::string line; std::getline(headerLines, line); ++rows)
    top += (top.empty() ? "" : "\n") + CutToWidth(line, size.columns, false);
  const int headerRows = rows - 1;
  std::ostringstream full;
  WriteTable(full, report, {colour, false, size.columns, size.rows});
  const std::string table = full.str();
  size_t widest = 0;
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line); ++rows) widest = std::max(widest, line.size());
  if (rows <= size.rows && static_cast<int>(widest) <= size.columns) return top + "\n\n" + table;
  std::ostringstream compact;
  WriteTable(compact, report, {colour, true, size.columns, size.rows - headerRows});
  return top + "\n" + compact.str();
}

// Home, then each line cleared to its end, then the rest of the screen. No
// line break after the last line: on the screen's last row it would scroll the
// header away.
void Repaint(const std::string& screen) {
  std::string text = "\x1b[H";
  std::istringstream lines(screen);
  bool first = true;
  for (std::string line; std::getline(lines, line); first = false)
    text += (first ? "" : "\n") + line + "\x1b[K";
  std::fputs((text + "\x1b[J").c_str(), stdout);
}

// Opens the session when it is not open; an empty text, or the failure in words
// with the chassis library's reason (such as a scenario file's error) below it.
std::string OpenIfClosed(std::unique_ptr<ChassisAccess>& chassis, const Target& target,
                         double intervalSeconds) {
  if (chassis) return "";
  try {
    chassis = OpenChassis(target.request);
    return "";
  } catch (const DriverError& error) {
    std::ostringstream text;
    text << "korvane: " << Describe(error) << "; trying again in " << intervalSeconds << " s";
    if (const auto why = ExplainOpenFailure(error, target.request.resource))
      text << "\nkorvane: " << why->reason;
    return text.str();
  }
}

// When values of the virtual chassis failed, whether that is because its
// scenario file was edited into one with an error: the reason, which every
// failed value's message holds too far along to be seen on a terminal.
std::optional<std::string> ScenarioFailureOf(const HealthReport& report, const Target& target) {
  if (!report.virtualChassis || Failures(report).empty()) return std::nullopt;
  const auto why = ScenarioFailure(target.request.resource);
  if (!why) return std::nullopt;
  return "korvane: " + *why;
}

// One refresh of `watch --json`: the reading on one line, or why there is none on stderr.
void WriteJsonLine(ChassisAccess* chassis, const Target& target, const std::string& failedOpen) {
  if (chassis == nullptr) {
    std::fprintf(stderr, "%s\n", failedOpen.c_str());
    return;
  }
  const HealthReport report = ReadHealth(*chassis, target.request.resource, target.simulated);
  WriteJson(std::cout, report, -1);
  std::cout.flush();
  if (const auto why = ScenarioFailureOf(report, target))
    std::fprintf(stderr, "%s\n", why->c_str());
}

// One refresh of `watch`: the header and the reading (on a terminal in the
// layout that fits it), or why the session is not open.
std::string RefreshText(std::string header, ChassisAccess* chassis, const Target& target,
                        const std::string& failedOpen, bool terminal) {
  if (chassis == nullptr) return header + "\n\n" + failedOpen + "\n";
  const HealthReport report = ReadHealth(*chassis, target.request.resource, target.simulated);
  if (const auto why = ScenarioFailureOf(report, target)) header += "\n" + *why;
  if (terminal) return Screen(header, report, Colour());
  std::ostringstream table;
  WriteTable(table, report, {false, false});
  return header + "\n\n" + table.str();
}

}  // namespace

int Status(const Target& target, StatusFormat format, bool check) {
  auto chassis = OpenChassis(target.request);
  const HealthReport report = ReadHealth(*chassis, target.request.resource, target.simulated);
  chassis->Close();
  switch (format) {
    case StatusFormat::kTable:
      WriteTable(std::cout, report, {Colour(), false});
      break;
    case StatusFormat::kJson:
      WriteJson(std::cout, report);
      break;
    case StatusFormat::kPrometheus:
      WritePrometheus(std::cout, report);
      break;
  }
  std::cout.flush();
  const auto failures = Failures(report);
  for (const auto& failure : failures)
    std::fprintf(stderr, "korvane: %s\n", failure.message.c_str());
  const auto alarms = check ? AlarmsSet(report) : std::vector<std::string>{};
  for (const auto& alarm : alarms) std::fprintf(stderr, "korvane: alarm set: %s\n", alarm.c_str());
  if (!failures.empty()) return kExitDriverError;
  return alarms.empty() ? kExitOk : kExitAlarm;
}

int Watch(const Target& target, double intervalSeconds, Output output) {
  const bool terminal = IsTerminal(stdout) && output == Output::kText;
  const InterruptCatcher interrupt;
  std::optional<FullScreen> screen;
  if (terminal) screen.emplace();
  std::unique_ptr<ChassisAccess> chassis;
  for (long refresh = 1; !interrupt.Interrupted(); ++refresh) {
    const std::string failedOpen = OpenIfClosed(chassis, target, intervalSeconds);
    if (output == Output::kJson) {
      WriteJsonLine(chassis.get(), target, failedOpen);
    } else {
      std::ostringstream header;
      header << "Every " << intervalSeconds << " s, refresh " << refresh << " at " << Clock()
             << " (Ctrl-C ends)";
      const std::string text =
          RefreshText(header.str(), chassis.get(), target, failedOpen, terminal);
      if (terminal) {
        Repaint(text);
      } else {
        std::fputs((text + "\n").c_str(), stdout);
      }
      std::fflush(stdout);
    }
    interrupt.Wait(intervalSeconds);
  }
  screen.reset();
  if (chassis) chassis->Close();
  return kExitOk;
}

int TriggerShow(const Target& target, Output output) {
  auto chassis = OpenChassis(target.request);
  PrintRoutings(*chassis, SubjectOf(*chassis, target), AllLines(), output);
  chassis->Close();
  return kExitOk;
}

int TriggerConnect(const Target& target, int line, int routing, Output output) {
  auto chassis = OpenChassis(target.request);
  chassis->ConnectTrigger(line, routing);
  PrintRoutings(*chassis, SubjectOf(*chassis, target), {line}, output);
  chassis->Close();
  return kExitOk;
}

int TriggerReset(const Target& target, std::optional<int> line, bool toDefault, Output output) {
  auto chassis = OpenChassis(target.request);
  if (line) {
    chassis->ConnectTrigger(*line, 0);
  } else if (toDefault) {
    chassis->RestoreDefaultTriggers();
  } else {
    chassis->DisconnectAllTriggers();
  }
  PrintRoutings(*chassis, SubjectOf(*chassis, target), line ? std::vector{*line} : AllLines(),
                output);
  chassis->Close();
  return kExitOk;
}

int Alarms(const Target& target, bool clear, Output output) {
  auto chassis = OpenChassis(target.request);
  const Subject subject = SubjectOf(*chassis, target);
  const auto slots = AlarmSlots(*chassis);
  if (clear)
    for (const auto& slot : slots) chassis->ClearAlarm(slot.alarm, slot.rail);
  json alarms = json::array();
  if (output == Output::kText)
    std::printf("Alarms of %s%s\n", subject.Words().c_str(), clear ? " after clearing" : "");
  for (const auto& slot : slots) {
    const bool set = chassis->AlarmOccurred(slot.alarm, slot.rail);
    if (output == Output::kText) {
      std::printf("  %-20s %s\n", slot.name.c_str(), set ? "set" : "clear");
    } else {
      alarms.push_back({{"name", slot.name}, {"set", set}});
    }
  }
  chassis->Close();
  if (output == Output::kJson) {
    json document = subject.Json();
    document["cleared"] = clear;
    document["alarms"] = alarms;
    PrintJson(document);
  }
  return kExitOk;
}

int SelfTest(const Target& target, Output output) {
  auto chassis = OpenChassis(target.request);
  const Subject subject = SubjectOf(*chassis, target);
  const SelfTestOutcome outcome = chassis->SelfTest();
  chassis->Close();
  if (output == Output::kJson) {
    json errors = json::array();
    for (const auto& error : outcome.errors)
      errors.push_back(
          {{"code", error.code ? json(*error.code) : json(nullptr)}, {"message", error.message}});
    json document = subject.Json();
    document["passed"] = outcome.result == 0;
    document["result"] = outcome.result;
    document["message"] = outcome.message;
    document["errors"] = errors;
    PrintJson(document);
  } else {
    std::printf("Self test of %s: %s (result %d: %s)\n", subject.Words().c_str(),
                outcome.result == 0 ? "passed" : "FAILED", outcome.result, outcome.message.c_str());
    for (const auto& error : outcome.errors) {
      if (error.code) {
        std::printf("  code %d: %s\n", *error.code, error.message.c_str());
      } else {
        std::printf("  %s\n", error.message.c_str());
      }
    }
  }
  return outcome.result == 0 ? kExitOk : kExitAlarm;
}

int Identity(const Target& target, Output output) {
  // (label, JSON member, which text)
  const std::tuple<const char*, const char*, IdentityText> chassisFields[] = {
      {"Manufacturer", "manufacturer", IdentityText::kManufacturer},
      {"Model", "model", IdentityText::kModel},
      {"Serial number", "serial_number", IdentityText::kSerialNumber},
      {"Firmware revision", "firmware_revision", IdentityText::kFirmwareRevision},
      {"PCIe link", "pcie_link", IdentityText::kPcieLink}};
  const std::tuple<const char*, const char*, DriverText> driverFields[] = {
      {"Identifier", "identifier", DriverText::kIdentifier},
      {"Revision", "revision", DriverText::kRevision},
      {"Vendor", "vendor", DriverText::kVendor},
      {"Description", "description", DriverText::kDescription}};
  auto chassis = OpenChassis(target.request);
  const Subject subject = SubjectOf(*chassis, target);
  json document = subject.Json();
  for (const auto& [label, member, which] : chassisFields)
    document["identity"][member] = chassis->Text(which);
  for (const auto& [label, member, which] : driverFields)
    document["driver"][member] = chassis->Text(which);
  chassis->Close();
  if (output == Output::kJson) {
    PrintJson(document);
    return kExitOk;
  }
  const auto print = [&](const char* group, const auto& fields) {
    for (const auto& [label, member, which] : fields)
      std::printf("  %-18s %s\n", label,
                  document[group][member].template get<std::string>().c_str());
  };
  std::printf("Chassis %s\n", subject.Words().c_str());
  print("identity", chassisFields);
  std::printf("Driver\n");
  print("driver", driverFields);
  return kExitOk;
}

}  // namespace korvane::cli

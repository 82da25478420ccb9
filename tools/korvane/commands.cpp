#include "tools/korvane/commands.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <sstream>
#include <vector>

#include "tools/korvane/exit_codes.h"
#include "tools/korvane/health.h"
#include "tools/korvane/terminal.h"
#include "tools/korvane/trigger_routes.h"

namespace korvane::cli {
namespace {

// Colour marks alarms on a terminal, unless the user asked for none (NO_COLOR).
bool Colour() {
  const char* noColour = std::getenv("NO_COLOR");
  return IsTerminal(stdout) && (noColour == nullptr || *noColour == '\0');
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

void PrintRouting(ChassisAccess& chassis, int line) {
  const int32_t routing = chassis.TriggerRouting(line);
  std::printf("  PXI_TRIG%d  %-24s %s\n", line, RoutingName(routing).c_str(),
              RoutingMeaning(routing));
}

std::string Clock() {
  const std::time_t now = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%H:%M:%S", std::localtime(&now));
  return text;
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

int Watch(const Target& target, double intervalSeconds) {
  auto chassis = OpenChassis(target.request);
  const bool terminal = IsTerminal(stdout);
  const InterruptCatcher interrupt;
  std::optional<FullScreen> screen;
  if (terminal) screen.emplace();
  for (long refresh = 1; !interrupt.Interrupted(); ++refresh) {
    std::ostringstream table;
    table << "Every " << intervalSeconds << " s, refresh " << refresh << " at " << Clock()
          << " (Ctrl-C ends)\n\n";
    WriteTable(table, ReadHealth(*chassis, target.request.resource, target.simulated),
               {terminal && Colour(), false});
    if (terminal) {
      // Home, then each line cleared to its end, then the rest of the screen.
      std::string text = "\x1b[H";
      std::istringstream lines(table.str());
      for (std::string line; std::getline(lines, line);) text += line + "\x1b[K\n";
      std::fputs((text + "\x1b[J").c_str(), stdout);
    } else {
      std::fputs((table.str() + "\n").c_str(), stdout);
    }
    std::fflush(stdout);
    interrupt.Wait(intervalSeconds);
  }
  screen.reset();
  chassis->Close();
  return kExitOk;
}

int TriggerShow(const Target& target) {
  auto chassis = OpenChassis(target.request);
  std::printf("Trigger lines\n");
  for (int line = 0; line < kTriggerLines; ++line) PrintRouting(*chassis, line);
  chassis->Close();
  return kExitOk;
}

int TriggerConnect(const Target& target, int line, int routing) {
  auto chassis = OpenChassis(target.request);
  chassis->ConnectTrigger(line, routing);
  PrintRouting(*chassis, line);
  chassis->Close();
  return kExitOk;
}

int TriggerReset(const Target& target, std::optional<int> line, bool toDefault) {
  auto chassis = OpenChassis(target.request);
  if (line) {
    chassis->ConnectTrigger(*line, 0);
    PrintRouting(*chassis, *line);
  } else {
    if (toDefault) {
      chassis->RestoreDefaultTriggers();
    } else {
      chassis->DisconnectAllTriggers();
    }
    for (int each = 0; each < kTriggerLines; ++each) PrintRouting(*chassis, each);
  }
  chassis->Close();
  return kExitOk;
}

int Alarms(const Target& target, bool clear) {
  auto chassis = OpenChassis(target.request);
  const auto slots = AlarmSlots(*chassis);
  if (clear)
    for (const auto& slot : slots) chassis->ClearAlarm(slot.alarm, slot.rail);
  std::printf("Alarms%s\n", clear ? " after clearing" : "");
  for (const auto& slot : slots)
    std::printf("  %-20s %s\n", slot.name.c_str(),
                chassis->AlarmOccurred(slot.alarm, slot.rail) ? "SET" : "clear");
  chassis->Close();
  return kExitOk;
}

int SelfTest(const Target& target) {
  auto chassis = OpenChassis(target.request);
  const SelfTestOutcome outcome = chassis->SelfTest();
  chassis->Close();
  std::printf("Self test: %s (result %d: %s)\n", outcome.result == 0 ? "passed" : "FAILED",
              outcome.result, outcome.message.c_str());
  for (const auto& error : outcome.errors)
    std::printf("  code %d: %s\n", error.code, error.message.c_str());
  return outcome.result == 0 ? kExitOk : kExitAlarm;
}

int Identity(const Target& target) {
  auto chassis = OpenChassis(target.request);
  const std::pair<const char*, IdentityText> fields[] = {
      {"Manufacturer", IdentityText::kManufacturer},
      {"Model", IdentityText::kModel},
      {"Serial number", IdentityText::kSerialNumber},
      {"Firmware revision", IdentityText::kFirmwareRevision},
      {"PCIe link", IdentityText::kPcieLink}};
  for (const auto& [name, which] : fields)
    std::printf("%-18s %s\n", name, chassis->Text(which).c_str());
  chassis->Close();
  return kExitOk;
}

}  // namespace korvane::cli

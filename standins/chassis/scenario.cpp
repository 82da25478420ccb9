#include "standins/chassis/scenario.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "standins/chassis/alarm_names.h"
#include "standins/chassis/chassis_state.h"

namespace korvane::virtual_chassis {
namespace {

using Action = std::function<void(ChassisState&)>;

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// One line "<key> [<subject>] = <value>", after comments are cut off.
struct Setting {
  int line;
  std::string key;
  std::string subject;
  std::string value;

  [[noreturn]] void Fail(const std::string& reason) const { throw ScenarioError(line, reason); }

  double Number() const {
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0') Fail("'" + value + "' is not a number");
    if (!std::isfinite(number)) Fail("'" + value + "' is not a finite number");
    return number;
  }
  // Decimal, or hexadecimal with 0x; statuses such as 0xBFFA0001 wrap to negative.
  int32_t Integer(const std::string& text) const {
    char* end = nullptr;
    const long long number = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || number < INT32_MIN || number > UINT32_MAX)
      Fail("'" + text + "' is not a 32-bit integer");
    return static_cast<int32_t>(static_cast<uint32_t>(number));
  }
  bool Boolean() const {
    if (value == "true" || value == "1") return true;
    if (value == "false" || value == "0") return false;
    Fail("'" + value + "' is not true or false");
  }
  // A fan or sensor number as the driver names it (FAN1, TS1: 1) -> its position.
  uint32_t Position(uint32_t count) const {
    const int32_t number = Integer(subject);
    if (number < 1 || static_cast<uint32_t>(number) > count)
      Fail("'" + subject + "' is not a number from 1 to " + std::to_string(count));
    return static_cast<uint32_t>(number - 1);
  }
  void NoSubject() const {
    if (!subject.empty()) Fail("'" + key + "' takes no name before '='");
  }
};

// The rails by the names the driver gives them, in the order korvane lists them.
constexpr std::pair<std::string_view, Korvane_Fundamental_VoltageRail> kRailNames[] = {
    {"VPLUS_3_3", Korvane_Fundamental_RailPlus3V3},
    {"VPLUS_5_0", Korvane_Fundamental_RailPlus5V},
    {"VPLUS_12_0", Korvane_Fundamental_RailPlus12V},
    {"VMINUS_12_0", Korvane_Fundamental_RailMinus12V}};

// "VPLUS_3_3, VPLUS_5_0, VPLUS_12_0 or VMINUS_12_0"; with a prefix before each name.
std::string RailNames(std::string_view prefix = {}) {
  std::string names;
  for (size_t i = 0; i < std::size(kRailNames); ++i) {
    names += i == 0 ? "" : i + 1 == std::size(kRailNames) ? " or " : ", ";
    names += std::string(prefix) + std::string(kRailNames[i].first);
  }
  return names;
}

std::optional<Korvane_Fundamental_VoltageRail> FindRail(std::string_view name) {
  for (const auto& [rail_name, rail] : kRailNames)
    if (name == rail_name) return rail;
  return std::nullopt;
}

Korvane_Fundamental_VoltageRail Rail(const Setting& setting) {
  if (const auto rail = FindRail(setting.subject)) return *rail;
  setting.Fail("'" + setting.subject + "' is no rail; use " + RailNames());
}

Korvane_Fundamental_AlarmSource RailAlarm(Korvane_Fundamental_VoltageRail rail) {
  switch (rail) {
    case Korvane_Fundamental_RailPlus5V:
      return Korvane_Fundamental_AlarmRailPlus5V;
    case Korvane_Fundamental_RailPlus3V3:
      return Korvane_Fundamental_AlarmRailPlus3V3;
    case Korvane_Fundamental_RailMinus12V:
      return Korvane_Fundamental_AlarmRailMinus12V;
    case Korvane_Fundamental_RailPlus12V:
      return Korvane_Fundamental_AlarmRailPlus12V;
  }
  return Korvane_Fundamental_AlarmRailPlus5V;  // not reached: every rail is named above
}

// An alarm by its machine name (alarm_names.h), the one korvane's outputs use:
// "fan_underspeed", "rail_VPLUS_5_0".
std::optional<Korvane_Fundamental_AlarmSource> FindAlarm(std::string_view name) {
  const auto named = alarms::ParseMachineName(name);
  if (!named) return std::nullopt;
  switch (named->alarm) {
    case alarms::Alarm::kOverTemperature:
      return Korvane_Fundamental_AlarmOverTemperature;
    case alarms::Alarm::kFanUnderspeed:
      return Korvane_Fundamental_AlarmFanUnderspeed;
    case alarms::Alarm::kReferenceClock:
      return Korvane_Fundamental_AlarmRefClockChange;
    case alarms::Alarm::kRail:
      break;
  }
  const auto rail = FindRail(named->rail);
  return rail ? std::optional(RailAlarm(*rail)) : std::nullopt;
}

// "over_temperature, fan_underspeed, reference_clock, rail_VPLUS_3_3, ... or rail_VMINUS_12_0"
std::string AlarmNames() {
  std::string names;
  for (const auto& alarm : alarms::kAlarmNames) {
    if (!names.empty()) names += ", ";
    names +=
        alarm.alarm == alarms::Alarm::kRail ? RailNames(alarm.machine) : std::string(alarm.machine);
  }
  return names;
}

Korvane_Fundamental_AlarmSource AlarmSource(const Setting& setting) {
  if (const auto source = FindAlarm(setting.subject)) return *source;
  setting.Fail("'" + setting.subject + "' is no alarm; the alarms are " + AlarmNames());
}

std::vector<int32_t> Codes(const Setting& setting) {
  std::vector<int32_t> codes;
  std::istringstream words(setting.value);
  for (std::string word; words >> word;) codes.push_back(setting.Integer(word));
  return codes;
}

Action IdentityText(const Setting& s, Text which) {
  s.NoSubject();
  return [which, value = s.value](ChassisState& c) { c.model.SetText(which, value); };
}

Action Temperature(const Setting& s) {
  const uint32_t position = s.Position(kSensorCount);
  const double degrees = s.Number();
  return [=](ChassisState& c) { c.model.Live().PinTemperature(position, degrees); };
}

Action Fan(const Setting& s) {
  const uint32_t position = s.Position(kFanCount);
  const double rpm = s.Number();
  if (rpm < 0) s.Fail("a fan speed is 0 rpm or more");
  if (rpm > UINT32_MAX) s.Fail("a fan speed is at most 4294967295 rpm");
  return [=](ChassisState& c) { c.model.Live().PinFanSpeed(position, static_cast<uint32_t>(rpm)); };
}

Action RailVoltage(const Setting& s) {
  const auto rail = Rail(s);
  const double volts = s.Number();
  return [=](ChassisState& c) { c.model.Live().PinRailVoltage(rail, volts); };
}

Action LatchedAlarm(const Setting& s) {
  const auto source = AlarmSource(s);
  if (s.value != "set") s.Fail("an alarm line reads 'alarm <name> = set'");
  return [=](ChassisState& c) { c.model.LatchAlarm(source); };
}

Action SelfTestResult(const Setting& s) {
  s.NoSubject();
  const auto codes = Codes(s);
  if (codes.size() > Korvane_Fundamental_MaxSelfTestCodes) s.Fail("too many self-test codes");
  return [=](ChassisState& c) {
    c.model.SelfTestTable().SetCodes(codes.data(), static_cast<int32_t>(codes.size()));
  };
}

Action SelfTestText(const Setting& s) {
  const int32_t code = s.Integer(s.subject);
  return [code, text = s.value](ChassisState& c) {
    c.model.SelfTestTable().SetMapping(code, text, 0);
  };
}

std::string OperationNames() {
  std::string names;
  for (int32_t op = 0; op < static_cast<int32_t>(Operation::kCount); ++op)
    names += std::string(op == 0 ? "" : ", ") + OperationName(static_cast<Operation>(op));
  return names;
}

Action Injection(const Setting& s) {
  Operation op{};
  if (!FindOperation(s.subject.c_str(), &op))
    s.Fail("'" + s.subject + "' is no operation; the operations are " + OperationNames());
  const int32_t status = s.Integer(s.value);
  return [=](ChassisState& c) {
    c.injected.Inject(op, status, kAlways, InjectedResults::Source::kScenario);
  };
}

Action ReferenceClock(const Setting& s) {
  s.NoSubject();
  const std::pair<const char*, int32_t> sources[] = {
      {"internal", Korvane_Fundamental_RefClockInternal},
      {"external", Korvane_Fundamental_RefClockExternal},
      {"timing-module", Korvane_Fundamental_RefClockTimingModule}};
  int32_t source = 0;
  bool named = false;
  for (const auto& [name, value] : sources)
    if (s.value == name) source = value, named = true;
  if (!named) source = s.Integer(s.value);
  return [=](ChassisState& c) { c.model.SetReferenceClockSource(source); };
}

Action Uptime(const Setting& s) {
  s.NoSubject();
  const int32_t seconds = s.Integer(s.value);
  if (seconds < 0) s.Fail("an uptime is 0 seconds or more");
  return [=](ChassisState& c) { c.model.Live().SetUptime(static_cast<uint32_t>(seconds)); };
}

Action FanAuto(const Setting& s) {
  s.NoSubject();
  const bool on = s.Boolean();
  return [=](ChassisState& c) { c.model.SetFanAutoControl(on); };
}

Action Frozen(const Setting& s) {
  s.NoSubject();
  const bool frozen = s.Boolean();
  return [=](ChassisState& c) { c.model.Live().SetClockFrozen(frozen); };
}

// Every setting a scenario may hold, by name.
const std::pair<const char*, Action (*)(const Setting&)> kSettings[] = {
    {"temperature", Temperature},
    {"fan", Fan},
    {"rail", RailVoltage},
    {"alarm", LatchedAlarm},
    {"selftest", SelfTestResult},
    {"selftest-text", SelfTestText},
    {"inject", Injection},
    {"reference-clock", ReferenceClock},
    {"uptime", Uptime},
    {"fan-auto", FanAuto},
    {"frozen", Frozen},
    {"model", [](const Setting& s) { return IdentityText(s, Text::kModel); }},
    {"firmware", [](const Setting& s) { return IdentityText(s, Text::kFirmwareRevision); }},
    {"serial", [](const Setting& s) { return IdentityText(s, Text::kSerialNumber); }},
    {"pcie-link", [](const Setting& s) { return IdentityText(s, Text::kPCIeLinkTopology); }},
};

// What one setting does to the chassis.
Action Compile(const Setting& s) {
  std::string names;
  for (const auto& [name, compile] : kSettings) {
    if (s.key == name) return compile(s);
    names += std::string(names.empty() ? "" : ", ") + name;
  }
  s.Fail("unknown setting '" + s.key + "'; the settings are " + names);
}

std::vector<Action> Compile(const std::string& text) {
  std::vector<Action> actions;
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    if (const auto comment = line.find_first_of("#;"); comment != std::string::npos)
      line.erase(comment);
    line = Trim(line);
    if (line.empty()) continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos) throw ScenarioError(number, "expected '<setting> = <value>'");
    const std::string left = Trim(line.substr(0, equals));
    const auto blank = left.find_first_of(" \t");
    Setting setting{number, left.substr(0, blank),
                    blank == std::string::npos ? "" : Trim(left.substr(blank)),
                    Trim(line.substr(equals + 1))};
    actions.push_back(Compile(setting));
  }
  return actions;
}

}  // namespace

ScenarioError::ScenarioError(int line, const std::string& reason)
    : std::runtime_error(reason), line_(line) {}

void ApplyScenarioText(const std::string& text, ChassisState& chassis) {
  for (const auto& action : Compile(text)) action(chassis);
  chassis.model.Sample();
}

}  // namespace korvane::virtual_chassis

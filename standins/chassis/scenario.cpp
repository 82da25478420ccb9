#include "standins/chassis/scenario.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <vector>

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

Korvane_Fundamental_VoltageRail Rail(const Setting& setting) {
  const std::pair<const char*, Korvane_Fundamental_VoltageRail> rails[] = {
      {"VPLUS_5_0", Korvane_Fundamental_RailPlus5V},
      {"VPLUS_3_3", Korvane_Fundamental_RailPlus3V3},
      {"VMINUS_12_0", Korvane_Fundamental_RailMinus12V},
      {"VPLUS_12_0", Korvane_Fundamental_RailPlus12V}};
  for (const auto& [name, rail] : rails)
    if (setting.subject == name) return rail;
  setting.Fail("'" + setting.subject +
               "' is no rail; use VPLUS_3_3, VPLUS_5_0, VPLUS_12_0 or VMINUS_12_0");
}

Korvane_Fundamental_AlarmSource AlarmSource(const Setting& setting) {
  const std::string& name = setting.subject;
  if (name == "over-temperature") return Korvane_Fundamental_AlarmOverTemperature;
  if (name == "fan-underspeed") return Korvane_Fundamental_AlarmFanUnderspeed;
  if (name == "reference-clock") return Korvane_Fundamental_AlarmRefClockChange;
  const Setting rail{setting.line, setting.key, name, setting.value};
  switch (Rail(rail)) {
    case Korvane_Fundamental_RailPlus5V:
      return Korvane_Fundamental_AlarmRailPlus5V;
    case Korvane_Fundamental_RailPlus3V3:
      return Korvane_Fundamental_AlarmRailPlus3V3;
    case Korvane_Fundamental_RailMinus12V:
      return Korvane_Fundamental_AlarmRailMinus12V;
    case Korvane_Fundamental_RailPlus12V:
      return Korvane_Fundamental_AlarmRailPlus12V;
  }
  setting.Fail("'" + name + "' is no alarm");
}

std::vector<int32_t> Codes(const Setting& setting) {
  std::vector<int32_t> codes;
  std::istringstream words(setting.value);
  for (std::string word; words >> word;) codes.push_back(setting.Integer(word));
  return codes;
}

// What one setting does to the chassis.
Action Compile(const Setting& s) {
  const auto text = [&](Text which) -> Action {
    s.NoSubject();
    return [which, value = s.value](ChassisState& c) { c.model.SetText(which, value); };
  };
  if (s.key == "temperature") {
    const uint32_t position = s.Position(kSensorCount);
    const double degrees = s.Number();
    return [=](ChassisState& c) { c.model.Live().PinTemperature(position, degrees); };
  }
  if (s.key == "fan") {
    const uint32_t position = s.Position(kFanCount);
    const double rpm = s.Number();
    if (rpm < 0 || rpm > UINT32_MAX) s.Fail("a fan speed is 0 rpm or more");
    return
        [=](ChassisState& c) { c.model.Live().PinFanSpeed(position, static_cast<uint32_t>(rpm)); };
  }
  if (s.key == "rail") {
    const auto rail = Rail(s);
    const double volts = s.Number();
    return [=](ChassisState& c) { c.model.Live().PinRailVoltage(rail, volts); };
  }
  if (s.key == "alarm") {
    const auto source = AlarmSource(s);
    if (s.value != "set") s.Fail("an alarm line reads 'alarm <name> = set'");
    return [=](ChassisState& c) { c.model.LatchAlarm(source); };
  }
  if (s.key == "selftest") {
    s.NoSubject();
    const auto codes = Codes(s);
    if (codes.size() > Korvane_Fundamental_MaxSelfTestCodes) s.Fail("too many self-test codes");
    return [=](ChassisState& c) {
      c.model.SelfTestTable().SetCodes(codes.data(), static_cast<int32_t>(codes.size()));
    };
  }
  if (s.key == "selftest-text") {
    const int32_t code = s.Integer(s.subject);
    return [code, text = s.value](ChassisState& c) {
      c.model.SelfTestTable().SetMapping(code, text, 0);
    };
  }
  if (s.key == "inject") {
    Operation op{};
    if (!FindOperation(s.subject.c_str(), &op)) s.Fail("'" + s.subject + "' is no operation");
    const int32_t status = s.Integer(s.value);
    return [=](ChassisState& c) { c.injected.Inject(op, status, kAlways); };
  }
  if (s.key == "reference-clock") {
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
  if (s.key == "uptime") {
    s.NoSubject();
    const int32_t seconds = s.Integer(s.value);
    if (seconds < 0) s.Fail("an uptime is 0 seconds or more");
    return [=](ChassisState& c) { c.model.Live().SetUptime(static_cast<uint32_t>(seconds)); };
  }
  if (s.key == "fan-auto") {
    s.NoSubject();
    const bool on = s.Boolean();
    return [=](ChassisState& c) { c.model.SetFanAutoControl(on); };
  }
  if (s.key == "frozen") {
    s.NoSubject();
    const bool frozen = s.Boolean();
    return [=](ChassisState& c) { c.model.Live().SetClockFrozen(frozen); };
  }
  if (s.key == "model") return text(Text::kModel);
  if (s.key == "firmware") return text(Text::kFirmwareRevision);
  if (s.key == "serial") return text(Text::kSerialNumber);
  if (s.key == "pcie-link") return text(Text::kPCIeLinkTopology);
  s.Fail("unknown setting '" + s.key + "'");
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

void ApplyScenarioFromEnvironment(ChassisState& chassis) {
  const char* path = std::getenv(kScenarioVariable);
  if (path == nullptr || *path == '\0') return;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "virtual chassis: scenario %s cannot be read; it is not used\n", path);
    return;
  }
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  try {
    ApplyScenarioText(text, chassis);
  } catch (const ScenarioError& error) {
    std::fprintf(stderr, "virtual chassis: %s:%d: %s; the scenario is not used\n", path,
                 error.line(), error.what());
  }
}

}  // namespace korvane::virtual_chassis

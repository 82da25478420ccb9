#include "standins/chassis/chassis_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>
#include <utility>

#include "standins/chassis/call_record.h"
#include "standins/chassis/virtual_chassis_switch.h"

namespace korvane::virtual_chassis {
namespace {

constexpr int32_t kSuccess = Korvane_Fundamental_StatusSuccess;
constexpr int32_t kInvalid = Korvane_Fundamental_StatusInvalidValue;

// How far a rail's alarm thresholds may be set from its nominal voltage.
constexpr std::array<double, kRails> kRailSpan{1.25, 0.8250000000000001, 3.0, 3.0};

struct Window {
  double low;
  double high;
};

// The high threshold of a positive rail lies above its nominal, the low one
// below; on a negative rail the high threshold is the more negative one.
Window ThresholdWindow(uint32_t rail, int32_t side) {
  const double nominal = LiveValues::Nominal(rail);
  const double span = kRailSpan[rail];
  const bool upward = (side == Korvane_Fundamental_ThresholdHigh) == (nominal >= 0);
  return upward ? Window{nominal, nominal + span} : Window{nominal - span, nominal};
}

bool ValidSetting(int32_t setting) {
  return setting == Korvane_Fundamental_SettingCurrent ||
         setting == Korvane_Fundamental_SettingPowerOn;
}

bool ValidSide(int32_t side) {
  return side == Korvane_Fundamental_ThresholdHigh || side == Korvane_Fundamental_ThresholdLow;
}

bool ValidRail(Korvane_Fundamental_VoltageRail rail) {
  return rail >= 0 && static_cast<uint32_t>(rail) < kRails;
}

}  // namespace

int32_t LimitedSetting::Get(int32_t setting, uint32_t* out) const {
  if (out == nullptr || !ValidSetting(setting)) return kInvalid;
  *out = setting == Korvane_Fundamental_SettingCurrent ? value : power_on;
  return kSuccess;
}

int32_t LimitedSetting::Set(uint32_t requested) {
  if (requested < min || requested > max) return kInvalid;
  value = requested;
  return kSuccess;
}

ChassisModel::ChassisModel() {
  SetText(Text::kModel, "Q7730A");
  SetText(Text::kFirmwareRevision, "2.1.7");
  SetText(Text::kSerialNumber, "VT41A01234");
  SetText(Text::kPCIeLinkTopology, "1x8");
}

std::string ChassisModel::GetText(Text which) const {
  const std::string& text = texts_.at(static_cast<size_t>(which));
  return which == Text::kFirmwareRevision ? text + kFirmwareSuffix : text;
}

namespace {

// The first line of a state text, naming its format.
constexpr char kStateFormat[] = "korvane-virtual-chassis-state 1";

// Reads the numbers of one state line "<key> <number> ...", all or none.
class StateLine {
 public:
  explicit StateLine(const std::string& line) : words_(line) {}
  bool Key(const char* key) {
    std::string word;
    return static_cast<bool>(words_ >> word) && word == key;
  }
  template <typename T>
  bool Next(T* value) {
    std::string word;
    if (!(words_ >> word)) return false;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), *value);
    return error == std::errc{} && end == word.data() + word.size();
  }
  bool End() {
    std::string word;
    return !(words_ >> word);
  }

 private:
  std::istringstream words_;
};

}  // namespace

std::string ChassisModel::PersistentState() const {
  std::string text = kStateFormat;
  const auto line = [&](const char* key, auto... values) {
    text += '\n';
    text += key;
    ((text += ' ', AppendArgument(text, values)), ...);
  };
  line("thermostat", settings_.thermostat.value);
  line("over-temperature", settings_.over_temp.value);
  line("underspeed", settings_.underspeed.value);
  for (uint32_t rail = 0; rail < kRails; ++rail)
    line("rail", rail, settings_.rails[rail].high, settings_.rails[rail].low);
  for (uint32_t trigger = 0; trigger < kTriggerLines; ++trigger)
    line("trigger", trigger, routing_[trigger]);
  for (uint32_t source = 0; source < kAlarmSlots; ++source)
    line("alarm", source, alarms_[source].enabled ? 1 : 0, alarms_[source].latched ? 1 : 0);
  line("fan-auto", fan_auto_control_ ? 1 : 0);
  text += '\n';
  return text;
}

bool ChassisModel::RestorePersistentState(const std::string& text) {
  Settings settings = settings_;
  std::array<int32_t, kTriggerLines> routing{};
  std::array<Alarm, kAlarmSlots> alarms{};
  int fan_auto = 0;
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != kStateFormat) return false;
  const auto read = [&](const char* key, auto&&... values) {
    if (!std::getline(lines, line)) return false;
    StateLine words(line);
    return words.Key(key) && (words.Next(&values) && ...) && words.End();
  };
  bool good = read("thermostat", settings.thermostat.value) &&
              read("over-temperature", settings.over_temp.value) &&
              read("underspeed", settings.underspeed.value);
  for (uint32_t rail = 0; good && rail < kRails; ++rail) {
    uint32_t number = 0;
    good =
        read("rail", number, settings.rails[rail].high, settings.rails[rail].low) && number == rail;
  }
  for (uint32_t trigger = 0; good && trigger < kTriggerLines; ++trigger) {
    uint32_t number = 0;
    good = read("trigger", number, routing[trigger]) && number == trigger;
  }
  for (uint32_t source = 0; good && source < kAlarmSlots; ++source) {
    uint32_t number = 0;
    int enabled = 0;
    int latched = 0;
    good = read("alarm", number, enabled, latched) && number == source;
    alarms[source] = {enabled != 0, latched != 0};
  }
  if (!(good && read("fan-auto", fan_auto))) return false;
  settings_ = settings;
  routing_ = routing;
  alarms_ = alarms;
  fan_auto_control_ = fan_auto != 0;
  return true;
}

int32_t ChassisModel::Reset(int32_t mode) {
  if (mode != 0 && mode != 1) return kInvalid;
  if (mode == 1) {
    settings_ = Settings{};
    routing_ = default_routing_;
  }
  for (Alarm& alarm : alarms_) {
    alarm.latched = false;
    if (mode == 1) alarm.enabled = true;
  }
  return kSuccess;
}

int32_t ChassisModel::SelfTest(int32_t* count, int32_t* codes) const {
  if (count == nullptr || codes == nullptr) return kInvalid;
  const auto& reported = self_test_.Codes();
  std::copy(reported.begin(), reported.end(), codes);
  *count = static_cast<int32_t>(reported.size());
  return kSuccess;
}

int32_t ChassisModel::GetUptime(uint32_t* seconds) const {
  if (seconds == nullptr) return kInvalid;
  *seconds = live_.Uptime();
  return kSuccess;
}

int32_t ChassisModel::GetThermostat(uint32_t* degrees, int32_t setting) const {
  return settings_.thermostat.Get(setting, degrees);
}

int32_t ChassisModel::GetFanAutoControl(uint16_t* enabled) const {
  if (enabled == nullptr) return kInvalid;
  *enabled = fan_auto_control_ ? 1 : 0;
  return kSuccess;
}

int32_t ChassisModel::GetOverTemp(uint32_t* degrees, int32_t setting) const {
  return settings_.over_temp.Get(setting, degrees);
}

int32_t ChassisModel::GetUnderspeed(uint32_t* rpm, int32_t setting) const {
  return settings_.underspeed.Get(setting, rpm);
}

int32_t ChassisModel::GetReferenceClock(Korvane_Fundamental_RefClockSource* source) const {
  if (source == nullptr) return kInvalid;
  *source = static_cast<Korvane_Fundamental_RefClockSource>(clock_source_);
  return kSuccess;
}

int32_t ChassisModel::GetTriggerRouting(uint32_t line,
                                        Korvane_Fundamental_ValidTriggerRoutings* routing) const {
  if (line >= kTriggerLines || routing == nullptr) return kInvalid;
  *routing = static_cast<Korvane_Fundamental_ValidTriggerRoutings>(routing_[line]);
  return kSuccess;
}

int32_t ChassisModel::SetTriggerRouting(uint32_t line,
                                        Korvane_Fundamental_ValidTriggerRoutings routing) {
  if (line >= kTriggerLines) return kInvalid;
  if (routing < Korvane_Fundamental_TrigIsolated || routing > Korvane_Fundamental_TrigBus2To1And3) {
    return kInvalid;
  }
  routing_[line] = routing;
  return kSuccess;
}

int32_t ChassisModel::DisconnectAllTriggers() {
  routing_.fill(Korvane_Fundamental_TrigIsolated);
  return kSuccess;
}

int32_t ChassisModel::RestoreDefaultTriggers() {
  routing_ = default_routing_;
  return kSuccess;
}

ChassisModel::Alarm* ChassisModel::FindAlarm(Korvane_Fundamental_AlarmSource source) {
  return const_cast<Alarm*>(std::as_const(*this).FindAlarm(source));
}

const ChassisModel::Alarm* ChassisModel::FindAlarm(Korvane_Fundamental_AlarmSource source) const {
  switch (source) {
    case Korvane_Fundamental_AlarmOverTemperature:
    case Korvane_Fundamental_AlarmFanUnderspeed:
    case Korvane_Fundamental_AlarmRailPlus5V:
    case Korvane_Fundamental_AlarmRailPlus3V3:
    case Korvane_Fundamental_AlarmRailMinus12V:
    case Korvane_Fundamental_AlarmRailPlus12V:
    case Korvane_Fundamental_AlarmRefClockChange:
      return &alarms_[static_cast<size_t>(source)];
  }
  return nullptr;
}

int32_t ChassisModel::ClearAlarm(Korvane_Fundamental_AlarmSource source) {
  Alarm* alarm = FindAlarm(source);
  if (alarm == nullptr) return kInvalid;
  alarm->latched = false;
  return kSuccess;
}

bool ChassisModel::LatchAlarm(Korvane_Fundamental_AlarmSource source) {
  Alarm* alarm = FindAlarm(source);
  if (alarm == nullptr) return false;
  alarm->latched = true;
  return true;
}

int32_t ChassisModel::GetAlarmCondition(Korvane_Fundamental_AlarmSource source,
                                        uint16_t* occurred) const {
  const Alarm* alarm = FindAlarm(source);
  if (alarm == nullptr || occurred == nullptr) return kInvalid;
  *occurred = alarm->latched ? 1 : 0;
  return kSuccess;
}

int32_t ChassisModel::GetAlarmEnable(Korvane_Fundamental_AlarmSource source,
                                     uint16_t* enabled) const {
  const Alarm* alarm = FindAlarm(source);
  if (alarm == nullptr || enabled == nullptr) return kInvalid;
  *enabled = alarm->enabled ? 1 : 0;
  return kSuccess;
}

int32_t ChassisModel::SetAlarmEnable(Korvane_Fundamental_AlarmSource source, uint16_t enable) {
  Alarm* alarm = FindAlarm(source);
  if (alarm == nullptr || enable > 1) return kInvalid;
  alarm->enabled = enable == 1;
  return kSuccess;
}

bool ChassisModel::FanAt(uint32_t index, uint32_t* position) const {
  if (index < fan_base_ || index - fan_base_ >= kFanCount) return false;
  *position = index - fan_base_;
  return fan_present_[*position];
}

bool ChassisModel::SensorAt(uint32_t index, uint32_t* position) const {
  if (index < sensor_base_ || index - sensor_base_ >= kSensorCount) return false;
  *position = index - sensor_base_;
  return sensor_present_[*position];
}

double ChassisModel::Hottest() const {
  double hottest = -std::numeric_limits<double>::infinity();
  for (uint32_t position = 0; position < kSensorCount; ++position) {
    if (sensor_present_[position]) hottest = std::max(hottest, live_.Temperature(position));
  }
  return hottest;
}

uint32_t ChassisModel::FanRpm(uint32_t position) const {
  return live_.FanSpeed(position, Hottest(), settings_.thermostat.value, fan_auto_control_);
}

int32_t ChassisModel::GetFanSpeed(uint32_t index, uint32_t* rpm) const {
  uint32_t position = 0;
  if (!FanAt(index, &position) || rpm == nullptr) return kInvalid;
  *rpm = FanRpm(position);
  return kSuccess;
}

int32_t ChassisModel::GetTemperature(uint32_t index, double* degrees) const {
  uint32_t position = 0;
  if (!SensorAt(index, &position) || degrees == nullptr) return kInvalid;
  *degrees = live_.Temperature(position);
  return kSuccess;
}

int32_t ChassisModel::GetRailVoltage(Korvane_Fundamental_VoltageRail rail, double* volts) const {
  if (!ValidRail(rail) || volts == nullptr) return kInvalid;
  *volts = live_.RailVoltage(rail);
  return kSuccess;
}

int32_t ChassisModel::GetRailThreshold(Korvane_Fundamental_VoltageRail rail, int32_t side,
                                       double* volts, int32_t setting) const {
  if (!ValidRail(rail) || !ValidSide(side) || !ValidSetting(setting) || volts == nullptr) {
    return kInvalid;
  }
  // A copy: the factory side comes from a temporary Settings.
  const RailThresholds thresholds = setting == Korvane_Fundamental_SettingCurrent
                                        ? settings_.rails[rail]
                                        : Settings{}.rails[rail];
  *volts = side == Korvane_Fundamental_ThresholdHigh ? thresholds.high : thresholds.low;
  return kSuccess;
}

int32_t ChassisModel::SetRailThreshold(Korvane_Fundamental_VoltageRail rail, int32_t side,
                                       double volts) {
  if (!ValidRail(rail) || !ValidSide(side)) return kInvalid;
  const Window window = ThresholdWindow(rail, side);
  // Written so that a NaN, which compares false, is refused too.
  if (!(volts >= window.low && volts <= window.high)) {
    return Korvane_Fundamental_StatusThresholdRefused;
  }
  RailThresholds& thresholds = settings_.rails[rail];
  (side == Korvane_Fundamental_ThresholdHigh ? thresholds.high : thresholds.low) = volts;
  return kSuccess;
}

bool ChassisModel::RailOutOfBand(uint32_t rail) const {
  const RailThresholds& thresholds = settings_.rails[rail];
  const double volts = live_.RailVoltage(rail);
  return volts > std::max(thresholds.high, thresholds.low) ||
         volts < std::min(thresholds.high, thresholds.low);
}

void ChassisModel::Sample() {
  std::array<bool, kAlarmSlots> crossed{};
  crossed[Korvane_Fundamental_AlarmOverTemperature] = Hottest() > settings_.over_temp.value;
  for (uint32_t position = 0; position < kFanCount; ++position) {
    if (fan_present_[position] && FanRpm(position) < settings_.underspeed.value) {
      crossed[Korvane_Fundamental_AlarmFanUnderspeed] = true;
    }
  }
  constexpr std::array<Korvane_Fundamental_AlarmSource, kRails> kRailAlarm{
      Korvane_Fundamental_AlarmRailPlus5V, Korvane_Fundamental_AlarmRailPlus3V3,
      Korvane_Fundamental_AlarmRailMinus12V, Korvane_Fundamental_AlarmRailPlus12V};
  for (uint32_t rail = 0; rail < kRails; ++rail) crossed[kRailAlarm[rail]] = RailOutOfBand(rail);
  crossed[Korvane_Fundamental_AlarmRefClockChange] = clock_source_ != clock_seen_;
  clock_seen_ = clock_source_;

  for (size_t source = 0; source < alarms_.size(); ++source) {
    if (alarms_[source].enabled && crossed[source]) alarms_[source].latched = true;
  }
}

}  // namespace korvane::virtual_chassis

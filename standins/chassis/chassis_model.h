// The virtual Q7730A chassis: its settings, alarms, trigger routing, identity
// texts, fans and sensors. Its operations answer chassis statuses the way the
// access library passes them on; it neither locks nor records (the library
// front does both).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "chassis/korvane_fundamental_api.h"
#include "standins/chassis/live_values.h"
#include "standins/chassis/self_test_codes.h"
#include "standins/chassis/status_table.h"
#include "standins/chassis/virtual_chassis.h"

namespace korvane::virtual_chassis {

inline constexpr uint32_t kTriggerLines = 8;
// Alarm slots, indexed by Korvane_Fundamental_AlarmSource; 0 and 7 are unused.
inline constexpr size_t kAlarmSlots = 9;

// An unsigned setting with its power-on value and the range the chassis accepts.
struct LimitedSetting {
  uint32_t power_on;
  uint32_t min;
  uint32_t max;
  uint32_t value = power_on;

  int32_t Get(int32_t setting, uint32_t* out) const;
  int32_t Set(uint32_t requested);
};

class ChassisModel {
 public:
  ChassisModel();

  // --- Operations of the access library; each returns a chassis status. ---
  int32_t Reset(int32_t mode);
  int32_t SelfTest(int32_t* count, int32_t* codes) const;
  int32_t GetUptime(uint32_t* seconds) const;

  int32_t GetThermostat(uint32_t* degrees, int32_t setting) const;
  int32_t SetThermostat(uint32_t degrees) { return settings_.thermostat.Set(degrees); }
  int32_t GetFanAutoControl(uint16_t* enabled) const;
  int32_t GetOverTemp(uint32_t* degrees, int32_t setting) const;
  int32_t SetOverTemp(uint32_t degrees) { return settings_.over_temp.Set(degrees); }
  int32_t GetUnderspeed(uint32_t* rpm, int32_t setting) const;
  int32_t SetUnderspeed(uint32_t rpm) { return settings_.underspeed.Set(rpm); }

  int32_t GetReferenceClock(Korvane_Fundamental_RefClockSource* source) const;

  int32_t GetTriggerRouting(uint32_t line, Korvane_Fundamental_ValidTriggerRoutings* routing) const;
  int32_t SetTriggerRouting(uint32_t line, Korvane_Fundamental_ValidTriggerRoutings routing);
  int32_t DisconnectAllTriggers();
  int32_t RestoreDefaultTriggers();

  int32_t ClearAlarm(Korvane_Fundamental_AlarmSource source);
  int32_t GetAlarmCondition(Korvane_Fundamental_AlarmSource source, uint16_t* occurred) const;
  int32_t GetAlarmEnable(Korvane_Fundamental_AlarmSource source, uint16_t* enabled) const;
  int32_t SetAlarmEnable(Korvane_Fundamental_AlarmSource source, uint16_t enable);

  uint32_t FanMinIndex() const { return fan_base_; }
  uint32_t SensorMinIndex() const { return sensor_base_; }
  int32_t GetFanSpeed(uint32_t index, uint32_t* rpm) const;
  int32_t GetTemperature(uint32_t index, double* degrees) const;

  int32_t GetRailVoltage(Korvane_Fundamental_VoltageRail rail, double* volts) const;
  int32_t GetRailThreshold(Korvane_Fundamental_VoltageRail rail, int32_t side, double* volts,
                           int32_t setting) const;
  int32_t SetRailThreshold(Korvane_Fundamental_VoltageRail rail, int32_t side, double volts);

  // The firmware revision ends with kFirmwareSuffix, whatever was set before it.
  std::string GetText(Text which) const;
  const StatusTable& Statuses() const { return statuses_; }
  const SelfTestCodes& SelfTestTable() const { return self_test_; }

  // What the chassis keeps while it is powered (settings, alarm enables and
  // latches, trigger routing, fan control) as text, and back. Restore
  // refuses (false, nothing changed) a text that PersistentState did not write.
  std::string PersistentState() const;
  bool RestorePersistentState(const std::string& text);

  // Latches every enabled alarm whose value is beyond its threshold now.
  void Sample();
  // Latches an alarm as if its condition had occurred; false for an unknown source.
  bool LatchAlarm(Korvane_Fundamental_AlarmSource source);

  // --- Test control. ---
  void SetText(Text which, std::string value) {
    texts_.at(static_cast<size_t>(which)) = std::move(value);
  }
  StatusTable& Statuses() { return statuses_; }
  SelfTestCodes& SelfTestTable() { return self_test_; }
  LiveValues& Live() { return live_; }
  void SetFanMinIndex(uint32_t base) { fan_base_ = base; }
  void SetSensorMinIndex(uint32_t base) { sensor_base_ = base; }
  void SetFanPresent(uint32_t position, bool present) { fan_present_.at(position) = present; }
  void SetSensorPresent(uint32_t position, bool present) { sensor_present_.at(position) = present; }
  void SetFanAutoControl(bool on) { fan_auto_control_ = on; }
  void ForceTriggerRouting(uint32_t line, int32_t routing) { routing_.at(line) = routing; }
  void SetStaticDefaultRouting(uint32_t line, int32_t routing) {
    default_routing_.at(line) = routing;
  }
  void SetReferenceClockSource(int32_t source) { clock_source_ = source; }

 private:
  struct Alarm {
    bool enabled = true;
    bool latched = false;
  };
  struct RailThresholds {
    double high;
    double low;
  };
  // What reset(1) restores.
  struct Settings {
    LimitedSetting thermostat{50, 25, 70};
    LimitedSetting over_temp{70, 0, 110};
    LimitedSetting underspeed{800, 0, 10000};
    std::array<RailThresholds, kRails> rails{
        {{5.25, 4.75}, {3.465, 3.135}, {-12.6, -11.4}, {12.6, 11.4}}};
  };

  Alarm* FindAlarm(Korvane_Fundamental_AlarmSource source);
  const Alarm* FindAlarm(Korvane_Fundamental_AlarmSource source) const;
  bool FanAt(uint32_t index, uint32_t* position) const;
  bool SensorAt(uint32_t index, uint32_t* position) const;
  double Hottest() const;
  uint32_t FanRpm(uint32_t position) const;
  bool RailOutOfBand(uint32_t rail) const;

  Settings settings_;
  std::array<Alarm, kAlarmSlots> alarms_{};
  std::array<int32_t, kTriggerLines> routing_{};
  std::array<int32_t, kTriggerLines> default_routing_{};
  int32_t clock_source_ = Korvane_Fundamental_RefClockInternal;
  int32_t clock_seen_ =
      Korvane_Fundamental_RefClockInternal;  // source the alarm last compared with
  std::array<std::string, 4> texts_;
  uint32_t fan_base_ = 1;
  uint32_t sensor_base_ = 0;
  std::array<bool, kFanCount> fan_present_{true, true, true};
  std::array<bool, kSensorCount> sensor_present_{true, true, true, true, true, true, true, true};
  bool fan_auto_control_ = true;
  LiveValues live_;
  StatusTable statuses_;
  SelfTestCodes self_test_;
};

}  // namespace korvane::virtual_chassis

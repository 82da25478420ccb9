// Alarm conditions latch while enabled when a value goes beyond its
// threshold, stay latched until cleared, and follow the thresholds in force.
#include <functional>

#include "tests/chassis/open_chassis.h"

namespace korvane::virtual_chassis {
namespace {

using AlarmTest = OpenChassis;

struct AlarmCase {
  const char* name;
  Korvane_Fundamental_AlarmSource source;
  std::function<void()> normal;        // a value well inside the thresholds
  std::function<void()> at_threshold;  // exactly on the default threshold: no alarm
  std::function<void()> beyond;        // just past it
};

void Rail(Korvane_Fundamental_VoltageRail rail, double volts) {
  SetRailVoltage(rail, volts);
}

const AlarmCase kAlarms[] = {
    {"over-temperature", Korvane_Fundamental_AlarmOverTemperature, [] { SetTemperature(5, 40.0); },
     [] { SetTemperature(5, 70.0); }, [] { SetTemperature(5, 70.1); }},
    {"fan underspeed", Korvane_Fundamental_AlarmFanUnderspeed, [] { SetFanSpeed(2, 3000); },
     [] { SetFanSpeed(2, 800); }, [] { SetFanSpeed(2, 799); }},
    {"+5 V high", Korvane_Fundamental_AlarmRailPlus5V,
     [] { Rail(Korvane_Fundamental_RailPlus5V, 5.0); },
     [] { Rail(Korvane_Fundamental_RailPlus5V, 5.25); },
     [] { Rail(Korvane_Fundamental_RailPlus5V, 5.251); }},
    {"+3.3 V low", Korvane_Fundamental_AlarmRailPlus3V3,
     [] { Rail(Korvane_Fundamental_RailPlus3V3, 3.3); },
     [] { Rail(Korvane_Fundamental_RailPlus3V3, 3.135); },
     [] { Rail(Korvane_Fundamental_RailPlus3V3, 3.134); }},
    {"-12 V high (more negative)", Korvane_Fundamental_AlarmRailMinus12V,
     [] { Rail(Korvane_Fundamental_RailMinus12V, -12.0); },
     [] { Rail(Korvane_Fundamental_RailMinus12V, -12.6); },
     [] { Rail(Korvane_Fundamental_RailMinus12V, -12.601); }},
    {"-12 V low (less negative)", Korvane_Fundamental_AlarmRailMinus12V,
     [] { Rail(Korvane_Fundamental_RailMinus12V, -12.0); },
     [] { Rail(Korvane_Fundamental_RailMinus12V, -11.4); },
     [] { Rail(Korvane_Fundamental_RailMinus12V, -11.399); }},
    {"+12 V low", Korvane_Fundamental_AlarmRailPlus12V,
     [] { Rail(Korvane_Fundamental_RailPlus12V, 12.0); },
     [] { Rail(Korvane_Fundamental_RailPlus12V, 11.4); },
     [] { Rail(Korvane_Fundamental_RailPlus12V, 11.399); }},
    {"reference clock change", Korvane_Fundamental_AlarmRefClockChange,
     [] { SetReferenceClockSource(Korvane_Fundamental_RefClockInternal); },
     [] { SetReferenceClockSource(Korvane_Fundamental_RefClockInternal); },
     [] { SetReferenceClockSource(Korvane_Fundamental_RefClockExternal); }},
};

uint16_t Condition(Korvane_Fundamental_Api& api, Korvane_Fundamental_AlarmSource source) {
  uint16_t occurred = 7;
  EXPECT_EQ(api.getAlarmCondition(source, &occurred), 0);
  return occurred;
}

TEST_F(AlarmTest, ConditionsLatchOnlyWhileEnabledAndStayUntilCleared) {
  for (const AlarmCase& alarm : kAlarms) {
    SCOPED_TRACE(alarm.name);
    Reset();
    SetClockFrozen(true);
    alarm.normal();
    alarm.at_threshold();
    EXPECT_EQ(Condition(api_, alarm.source), 0);

    ASSERT_EQ(api_.setAlarmEnable(alarm.source, 0), 0);
    alarm.beyond();
    EXPECT_EQ(Condition(api_, alarm.source), 0);
    alarm.normal();
    ASSERT_EQ(api_.setAlarmEnable(alarm.source, 1), 0);
    EXPECT_EQ(Condition(api_, alarm.source), 0);

    alarm.beyond();
    alarm.normal();
    EXPECT_EQ(Condition(api_, alarm.source), 1);
    ASSERT_EQ(api_.clearAlarmCondition(alarm.source), 0);
    EXPECT_EQ(Condition(api_, alarm.source), 0);
    EXPECT_EQ(Condition(api_, alarm.source), 0);
  }
}

TEST_F(AlarmTest, ConditionsFollowTheThresholdsInForce) {
  SetTemperature(0, 45.0);
  SetRailVoltage(Korvane_Fundamental_RailPlus12V, 12.05);
  EXPECT_EQ(Condition(api_, Korvane_Fundamental_AlarmOverTemperature), 0);
  EXPECT_EQ(Condition(api_, Korvane_Fundamental_AlarmRailPlus12V), 0);

  ASSERT_EQ(api_.setOverTempAlarmThreshold(45), 0);
  EXPECT_EQ(Condition(api_, Korvane_Fundamental_AlarmOverTemperature), 0);
  ASSERT_EQ(api_.setOverTempAlarmThreshold(44), 0);
  EXPECT_EQ(Condition(api_, Korvane_Fundamental_AlarmOverTemperature), 1);

  ASSERT_EQ(api_.setVoltageHiLowAlarmThreshold(Korvane_Fundamental_RailPlus12V, 0, 12.0), 0);
  EXPECT_EQ(Condition(api_, Korvane_Fundamental_AlarmRailPlus12V), 1);
  // Other alarms are not disturbed.
  EXPECT_EQ(Condition(api_, Korvane_Fundamental_AlarmRailPlus5V), 0);
  EXPECT_EQ(Condition(api_, Korvane_Fundamental_AlarmFanUnderspeed), 0);
}

TEST_F(AlarmTest, ResetOneRestoresSettingsResetZeroOnlyClearsConditions) {
  ASSERT_EQ(api_.setAlarmEnable(Korvane_Fundamental_AlarmRailPlus5V, 0), 0);
  ASSERT_EQ(api_.setOverTempAlarmThreshold(90), 0);
  ASSERT_EQ(api_.setTriggerRouting(4, Korvane_Fundamental_TrigBus3To2), 0);
  SetFanSpeed(0, 100);
  SetFanSpeed(0, 2500);
  ASSERT_EQ(Condition(api_, Korvane_Fundamental_AlarmFanUnderspeed), 1);

  ASSERT_EQ(api_.reset(0), 0);
  uint16_t enabled = 7;
  uint32_t degrees = 0;
  auto routing = Korvane_Fundamental_TrigIsolated;
  EXPECT_EQ(Condition(api_, Korvane_Fundamental_AlarmFanUnderspeed), 0);
  EXPECT_EQ(api_.getAlarmEnable(Korvane_Fundamental_AlarmRailPlus5V, &enabled), 0);
  EXPECT_EQ(enabled, 0);
  EXPECT_EQ(api_.getOverTempAlarmThreshold(&degrees, 0), 0);
  EXPECT_EQ(degrees, 90u);

  ASSERT_EQ(api_.reset(1), 0);
  EXPECT_EQ(api_.getAlarmEnable(Korvane_Fundamental_AlarmRailPlus5V, &enabled), 0);
  EXPECT_EQ(enabled, 1);
  EXPECT_EQ(api_.getOverTempAlarmThreshold(&degrees, 0), 0);
  EXPECT_EQ(degrees, 70u);
  EXPECT_EQ(api_.getTriggerRouting(4, &routing), 0);
  EXPECT_EQ(routing, Korvane_Fundamental_TrigIsolated);
  EXPECT_EQ(api_.reset(2), kInvalidValue);
}

TEST_F(AlarmTest, SourcesOutsideTheChassisAndNonBooleanEnablesAreRefused) {
  uint16_t value = 7;
  for (const int32_t raw : {0, 7, 9, -1}) {
    SCOPED_TRACE(raw);
    const auto source = static_cast<Korvane_Fundamental_AlarmSource>(raw);
    EXPECT_EQ(api_.clearAlarmCondition(source), kInvalidValue);
    EXPECT_EQ(api_.getAlarmCondition(source, &value), kInvalidValue);
    EXPECT_EQ(api_.getAlarmEnable(source, &value), kInvalidValue);
    EXPECT_EQ(api_.setAlarmEnable(source, 1), kInvalidValue);
  }
  EXPECT_EQ(value, 7);
  EXPECT_EQ(api_.setAlarmEnable(Korvane_Fundamental_AlarmOverTemperature, 2), kInvalidValue);
}

}  // namespace
}  // namespace korvane::virtual_chassis

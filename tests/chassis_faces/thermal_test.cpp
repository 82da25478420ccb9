// The thermal faces: the over-temperature and fan underspeed alarms and the
// fan control settings, their ranges, their simulated values and the
// chassis's refusals.

#include <functional>
#include <string>

#include "faces_fixture.h"

namespace korvane::testing {
namespace {

using ThermalTest = FacesTest;

// One integer setting of the thermal faces, reached through the client's faces.
struct Setting {
  const char* name;
  HRESULT (*get)(const Faces&, LONG*);
  HRESULT (*put)(const Faces&, LONG);
  vc::Operation chassisSetter;
  const OLECHAR* method;
  const OLECHAR* parameter;
  LONG initial;  // simulated, after every reset
};

const Setting kMaxTemp{"MaxTemp",
                       [](const Faces& f, LONG* v) { return f.temperatureAlarm->get_MaxTemp(v); },
                       [](const Faces& f, LONG v) { return f.temperatureAlarm->put_MaxTemp(v); },
                       vc::Operation::kSetOverTempAlarmThreshold,
                       OLESTR("TemperatureSensors.Alarm.MaxTemp"),
                       OLESTR("MaxTemp"),
                       70};
const Setting kMinRpm{"MinRPM",
                      [](const Faces& f, LONG* v) { return f.fanAlarm->get_MinRPM(v); },
                      [](const Faces& f, LONG v) { return f.fanAlarm->put_MinRPM(v); },
                      vc::Operation::kSetFanUnderspeedAlarmThreshold,
                      OLESTR("Fans.Alarm.MinRPM"),
                      OLESTR("MinRPM"),
                      800};
const Setting kMaxRpmTemp{"MaxRPMTemp",
                          [](const Faces& f, LONG* v) { return f.fanControl->get_MaxRPMTemp(v); },
                          [](const Faces& f, LONG v) { return f.fanControl->put_MaxRPMTemp(v); },
                          vc::Operation::kSetChassisThermostatSetpoint,
                          OLESTR("Fans.Control.MaxRPMTemp"),
                          OLESTR("MaxRPMTemp"),
                          50};
const Setting* const kSettings[] = {&kMaxTemp, &kMinRpm, &kMaxRpmTemp};

LONG Read(const Faces& faces, const Setting& setting) {
  LONG value = -12345;
  EXPECT_EQ(S_OK, setting.get(faces, &value));
  return value;
}

OleString InvalidValueText(const Setting& setting, LONG value) {
  return OLESTR("Korvane: Invalid value (") + AnsiToOle(std::to_string(value)) +
         OLESTR(") for method ") + setting.method + OLESTR(", parameter ") + setting.parameter +
         OLESTR(".");
}

struct RangeCase {
  const Setting* setting;
  LONG value;
  bool accepted;
};
const RangeCase kRangeEdges[] = {
    {&kMaxTemp, 0, true},
    {&kMaxTemp, 110, true},
    {&kMaxTemp, 111, false},
    {&kMaxTemp, -1, false},
    {&kMinRpm, 0, true},
    {&kMinRpm, 10000, true},
    {&kMinRpm, 10001, false},
    {&kMinRpm, -1, false},
    {&kMaxRpmTemp, 24, false},
    {&kMaxRpmTemp, 25, true},
    {&kMaxRpmTemp, 70, true},
    {&kMaxRpmTemp, 71, false},
    {&kMaxRpmTemp, -2147483647 - 1, false},
};

TEST_F(ThermalTest, SimulatedSettersKeepTheRangeAndRefusedValuesChangeNothing) {
  StartSimulated();
  for (const RangeCase& c : kRangeEdges) {
    SCOPED_TRACE(std::string(c.setting->name) + " " + std::to_string(c.value));
    const LONG before = Read(faces_, *c.setting);
    if (c.accepted) {
      EXPECT_EQ(S_OK, c.setting->put(faces_, c.value));
      EXPECT_EQ(c.value, Read(faces_, *c.setting));
    } else {
      EXPECT_EQ(E_IVI_INVALID_VALUE, c.setting->put(faces_, c.value));
      EXPECT_EQ(InvalidValueText(*c.setting, c.value), TakeDescription());
      EXPECT_EQ(before, Read(faces_, *c.setting));
    }
  }
}

TEST_F(ThermalTest, HardwareSettersCheckTheRangeBeforeTheChassis) {
  StartHardware();
  for (const RangeCase& c : kRangeEdges) {
    SCOPED_TRACE(std::string(c.setting->name) + " " + std::to_string(c.value));
    vc::ClearCalls();
    EXPECT_EQ(c.accepted ? S_OK : E_IVI_INVALID_VALUE, c.setting->put(faces_, c.value));
    EXPECT_EQ(c.accepted ? 1u : 0u, ChassisCalls().size());
    if (c.accepted) {
      EXPECT_EQ(c.value, Read(faces_, *c.setting));  // the chassis has it
    } else {
      EXPECT_EQ(InvalidValueText(*c.setting, c.value), TakeDescription());
    }
  }
}

TEST_F(ThermalTest, AValueTheChassisRefusesIsAnInvalidValue) {
  StartHardware();
  for (const Setting* setting : kSettings) {
    SCOPED_TRACE(setting->name);
    vc::InjectResult(setting->chassisSetter, Korvane_Fundamental_StatusInvalidValue);
    EXPECT_EQ(E_IVI_INVALID_VALUE, setting->put(faces_, 30));
    EXPECT_EQ(InvalidValueText(*setting, 30), TakeDescription());
  }
}

TEST_F(ThermalTest, SimulatedValuesUntilTheNextReset) {
  StartSimulated();
  const std::function<HRESULT()> resets[] = {
      [&] { return faces_.utility->Reset(); },
      [&] { return faces_.utility->ResetWithDefaults(); },
      [&] { return faces_.utility->Disable(); },
  };
  for (const auto& reset : resets) {
    for (const Setting* setting : kSettings) {
      ASSERT_EQ(S_OK, setting->put(faces_, 60));
      EXPECT_EQ(60, Read(faces_, *setting));
    }
    ASSERT_EQ(S_OK, faces_.temperatureAlarm->put_Enabled(VARIANT_FALSE));
    ASSERT_EQ(S_OK, reset());
    for (const Setting* setting : kSettings) {
      SCOPED_TRACE(setting->name);
      EXPECT_EQ(setting->initial, Read(faces_, *setting));
    }
    VARIANT_BOOL enabled = VARIANT_FALSE;
    EXPECT_EQ(S_OK, faces_.temperatureAlarm->get_Enabled(&enabled));
    EXPECT_EQ(VARIANT_TRUE, enabled);
  }
}

TEST_F(ThermalTest, SimulatedAlarmsAndAutoControl) {
  StartSimulated();
  VARIANT_BOOL value = 7;
  EXPECT_EQ(S_OK, faces_.fanControl->get_Auto(&value));
  EXPECT_EQ(1, value);  // as the chassis would say it, not VARIANT_TRUE
  struct Alarm {
    const char* name;
    HRESULT (*occurred)(const Faces&, VARIANT_BOOL*);
    HRESULT (*enabled)(const Faces&, VARIANT_BOOL*);
    HRESULT (*enable)(const Faces&, VARIANT_BOOL);
    HRESULT (*clear)(const Faces&);
  };
  const Alarm alarms[] = {
      {"temperature",
       [](const Faces& f, VARIANT_BOOL* v) { return f.temperatureAlarm->get_Occurred(v); },
       [](const Faces& f, VARIANT_BOOL* v) { return f.temperatureAlarm->get_Enabled(v); },
       [](const Faces& f, VARIANT_BOOL v) { return f.temperatureAlarm->put_Enabled(v); },
       [](const Faces& f) { return f.temperatureAlarm->Clear(); }},
      {"fans", [](const Faces& f, VARIANT_BOOL* v) { return f.fanAlarm->get_Occurred(v); },
       [](const Faces& f, VARIANT_BOOL* v) { return f.fanAlarm->get_Enabled(v); },
       [](const Faces& f, VARIANT_BOOL v) { return f.fanAlarm->put_Enabled(v); },
       [](const Faces& f) { return f.fanAlarm->Clear(); }},
      {"reference clock",
       [](const Faces& f, VARIANT_BOOL* v) { return f.clockAlarm->get_Occurred(v); },
       [](const Faces& f, VARIANT_BOOL* v) { return f.clockAlarm->get_Enabled(v); },
       [](const Faces& f, VARIANT_BOOL v) { return f.clockAlarm->put_Enabled(v); },
       [](const Faces& f) { return f.clockAlarm->Clear(); }},
  };
  for (const Alarm& alarm : alarms) {
    SCOPED_TRACE(alarm.name);
    EXPECT_EQ(S_OK, alarm.clear(faces_));
    value = 7;
    EXPECT_EQ(S_OK, alarm.occurred(faces_, &value));
    EXPECT_EQ(VARIANT_FALSE, value);
    EXPECT_EQ(S_OK, alarm.enabled(faces_, &value));
    EXPECT_EQ(VARIANT_TRUE, value);  // nothing put yet
    ASSERT_EQ(S_OK, alarm.enable(faces_, VARIANT_FALSE));
    EXPECT_EQ(S_OK, alarm.enabled(faces_, &value));
    EXPECT_EQ(VARIANT_FALSE, value);
    ASSERT_EQ(S_OK, alarm.enable(faces_, 1));
    EXPECT_EQ(S_OK, alarm.enabled(faces_, &value));
    EXPECT_EQ(1, value);  // exactly what was put
  }
}

TEST_F(ThermalTest, HardwareValuesPassUnchanged) {
  StartHardware();
  VARIANT_BOOL value = VARIANT_FALSE;
  vc::SetFanAutoControl(true);
  EXPECT_EQ(S_OK, faces_.fanControl->get_Auto(&value));
  EXPECT_EQ(1, value);
  vc::SetFanAutoControl(false);
  EXPECT_EQ(S_OK, faces_.fanControl->get_Auto(&value));
  EXPECT_EQ(0, value);

  ASSERT_EQ(S_OK, faces_.fanAlarm->put_Enabled(VARIANT_TRUE));
  EXPECT_EQ(S_OK, faces_.fanAlarm->get_Enabled(&value));
  EXPECT_EQ(1, value);
  ASSERT_EQ(S_OK, faces_.fanAlarm->put_Enabled(VARIANT_FALSE));
  EXPECT_EQ(S_OK, faces_.fanAlarm->get_Enabled(&value));
  EXPECT_EQ(0, value);
}

}  // namespace
}  // namespace korvane::testing

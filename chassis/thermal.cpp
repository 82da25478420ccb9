// The thermal faces of the driver: the over-temperature alarm
// (IKorvaneTemperatureSensorsAlarm), the fan underspeed alarm
// (IKorvaneFansAlarm) and the fan control settings (IKorvaneFansControl).

#include "chassis/alarm.h"
#include "chassis/chassis_member.h"

namespace korvane {
namespace {

const AlarmFace kOverTemperatureAlarm{
    Korvane_Fundamental_AlarmOverTemperature, OLESTR("TemperatureSensors.Alarm.Clear"),
    OLESTR("TemperatureSensors.Alarm.Occurred"), OLESTR("TemperatureSensors.Alarm.Enabled")};

const AlarmFace kFanUnderspeedAlarm{Korvane_Fundamental_AlarmFanUnderspeed,
                                    OLESTR("Fans.Alarm.Clear"), OLESTR("Fans.Alarm.Occurred"),
                                    OLESTR("Fans.Alarm.Enabled")};

// A chassis setting in whole units (degrees C or rpm): its names, the range
// its setter accepts, its stand-in among the simulated chassis settings and
// its chassis operations.
struct ThresholdFace {
  const OLECHAR* method;
  const OLECHAR* parameter;
  uint32_t low;
  uint32_t high;
  int32_t (SimulatedChassisSettings::*simulated)() const;
  void (SimulatedChassisSettings::*setSimulated)(int32_t);
  int32_t (Korvane_Fundamental_Api::*read)(uint32_t*, int32_t);
  int32_t (Korvane_Fundamental_Api::*write)(uint32_t);
};

const ThresholdFace kOverTemperatureThreshold{
    OLESTR("TemperatureSensors.Alarm.MaxTemp"),
    OLESTR("MaxTemp"),
    0,
    110,
    &SimulatedChassisSettings::OverTemperatureThreshold,
    &SimulatedChassisSettings::SetOverTemperatureThreshold,
    &Korvane_Fundamental_Api::getOverTempAlarmThreshold,
    &Korvane_Fundamental_Api::setOverTempAlarmThreshold};

const ThresholdFace kFanUnderspeedThreshold{
    OLESTR("Fans.Alarm.MinRPM"),
    OLESTR("MinRPM"),
    0,
    10000,
    &SimulatedChassisSettings::FanUnderspeedThreshold,
    &SimulatedChassisSettings::SetFanUnderspeedThreshold,
    &Korvane_Fundamental_Api::getFanUnderspeedAlarmThreshold,
    &Korvane_Fundamental_Api::setFanUnderspeedAlarmThreshold};

const ThresholdFace kFullFanSpeedTemperature{
    OLESTR("Fans.Control.MaxRPMTemp"),
    OLESTR("MaxRPMTemp"),
    25,
    70,
    &SimulatedChassisSettings::FullFanSpeedTemperature,
    &SimulatedChassisSettings::SetFullFanSpeedTemperature,
    &Korvane_Fundamental_Api::getChassisThermostatSetpoint,
    &Korvane_Fundamental_Api::setChassisThermostatSetpoint};

// The value in force, as the chassis returns it.
HRESULT GetThreshold(Korvane& driver, const ThresholdFace& face, LONG* val) {
  const ChassisMember member(driver, face.method, face.parameter);
  if (HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  if (driver.IsSimulating()) {
    *val = (driver.SimulatedSettings().*face.simulated)();
    return S_OK;
  }
  uint32_t value = 0;
  const HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
    return (chassis.*face.read)(&value, Korvane_Fundamental_SettingCurrent);
  });
  if (SUCCEEDED(status)) *val = static_cast<LONG>(value);
  return status;
}

// A value outside the range, or one the chassis refuses, is an invalid value;
// nothing is stored.
HRESULT PutThreshold(Korvane& driver, const ThresholdFace& face, LONG val) {
  const ChassisMember member(driver, face.method, face.parameter);
  if (HRESULT status = member.CheckRange(val, face.low, face.high); FAILED(status)) return status;
  if (driver.IsSimulating()) {
    (driver.SimulatedSettings().*face.setSimulated)(val);
    return S_OK;
  }
  return member.RunSetter(val, [&](Korvane_Fundamental_Api& chassis) {
    return (chassis.*face.write)(static_cast<uint32_t>(val));
  });
}

}  // namespace

// --- IKorvaneTemperatureSensorsAlarm -----------------------------------------

HRESULT Korvane::IKorvaneTemperatureSensorsAlarm_Clear() {
  return ClearAlarm(*this, kOverTemperatureAlarm);
}

HRESULT Korvane::IKorvaneTemperatureSensorsAlarm_get_Occurred(VARIANT_BOOL* val) {
  return GetAlarmOccurred(*this, kOverTemperatureAlarm, val);
}

HRESULT Korvane::IKorvaneTemperatureSensorsAlarm_get_Enabled(VARIANT_BOOL* val) {
  return GetAlarmEnabled(*this, kOverTemperatureAlarm, val);
}

HRESULT Korvane::IKorvaneTemperatureSensorsAlarm_put_Enabled(VARIANT_BOOL val) {
  return PutAlarmEnabled(*this, kOverTemperatureAlarm, val);
}

HRESULT Korvane::IKorvaneTemperatureSensorsAlarm_get_MaxTemp(LONG* val) {
  return GetThreshold(*this, kOverTemperatureThreshold, val);
}

HRESULT Korvane::IKorvaneTemperatureSensorsAlarm_put_MaxTemp(LONG val) {
  return PutThreshold(*this, kOverTemperatureThreshold, val);
}

// --- IKorvaneFansAlarm -------------------------------------------------------

HRESULT Korvane::IKorvaneFansAlarm_Clear() {
  return ClearAlarm(*this, kFanUnderspeedAlarm);
}

HRESULT Korvane::IKorvaneFansAlarm_get_Occurred(VARIANT_BOOL* val) {
  return GetAlarmOccurred(*this, kFanUnderspeedAlarm, val);
}

HRESULT Korvane::IKorvaneFansAlarm_get_Enabled(VARIANT_BOOL* val) {
  return GetAlarmEnabled(*this, kFanUnderspeedAlarm, val);
}

HRESULT Korvane::IKorvaneFansAlarm_put_Enabled(VARIANT_BOOL val) {
  return PutAlarmEnabled(*this, kFanUnderspeedAlarm, val);
}

HRESULT Korvane::IKorvaneFansAlarm_get_MinRPM(LONG* val) {
  return GetThreshold(*this, kFanUnderspeedThreshold, val);
}

HRESULT Korvane::IKorvaneFansAlarm_put_MinRPM(LONG val) {
  return PutThreshold(*this, kFanUnderspeedThreshold, val);
}

// --- IKorvaneFansControl -----------------------------------------------------

// While simulating the chassis controls its fans itself (1, as the chassis
// would answer, not VARIANT_TRUE).
HRESULT Korvane::IKorvaneFansControl_get_Auto(VARIANT_BOOL* val) {
  const ChassisMember member(*this, OLESTR("Fans.Control.Auto"), OLESTR("Auto"));
  if (HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  if (IsSimulating()) {
    *val = ChassisBoolean(1);
    return S_OK;
  }
  uint16_t enabled = 0;
  const HRESULT status = member.Run(
      [&](Korvane_Fundamental_Api& chassis) { return chassis.getFanAutoControlEnabled(&enabled); });
  if (SUCCEEDED(status)) *val = ChassisBoolean(enabled);
  return status;
}

HRESULT Korvane::IKorvaneFansControl_get_MaxRPMTemp(LONG* val) {
  return GetThreshold(*this, kFullFanSpeedTemperature, val);
}

HRESULT Korvane::IKorvaneFansControl_put_MaxRPMTemp(LONG val) {
  return PutThreshold(*this, kFullFanSpeedTemperature, val);
}

}  // namespace korvane

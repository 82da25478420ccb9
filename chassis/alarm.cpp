#include "chassis/alarm.h"

#include "chassis/chassis_member.h"

namespace korvane {

HRESULT ClearAlarm(Korvane& driver, const AlarmFace& alarm) {
  if (driver.IsSimulating()) return S_OK;
  return ChassisMember(driver, alarm.clearMethod).Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.clearAlarmCondition(alarm.source);
  });
}

HRESULT GetAlarmOccurred(Korvane& driver, const AlarmFace& alarm, VARIANT_BOOL* val) {
  const ChassisMember member(driver, alarm.occurredMethod, OLESTR("Occurred"));
  if (HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  if (driver.IsSimulating()) {
    *val = VARIANT_FALSE;
    return S_OK;
  }
  uint16_t occurred = 0;
  const HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.getAlarmCondition(alarm.source, &occurred);
  });
  if (SUCCEEDED(status)) *val = ChassisBoolean(occurred);
  return status;
}

HRESULT GetAlarmEnabled(Korvane& driver, const AlarmFace& alarm, VARIANT_BOOL* val) {
  const ChassisMember member(driver, alarm.enabledMethod, OLESTR("Enabled"));
  if (HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  uint16_t enabled = 0;
  const HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.getAlarmEnable(alarm.source, &enabled);
  });
  if (SUCCEEDED(status)) *val = ChassisBoolean(enabled);
  return status;
}

HRESULT PutAlarmEnabled(Korvane& driver, const AlarmFace& alarm, VARIANT_BOOL val) {
  const uint16_t enable = val != VARIANT_FALSE ? 1 : 0;
  return ChassisMember(driver, alarm.enabledMethod, OLESTR("Enabled"))
      .Run([&](Korvane_Fundamental_Api& chassis) {
        return chassis.setAlarmEnable(alarm.source, enable);
      });
}

}  // namespace korvane

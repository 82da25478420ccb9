#include "repcap/korvane_voltage_rail.h"

#include "repcap/item_member.h"
#include "repcap/rail_table.h"

namespace korvane {

const RailSpec* KorvaneVoltageRail::Rail() const {
  return RailFromName(GetPhysicalName());
}

// --- IKorvaneVoltageRail -----------------------------------------------------

HRESULT KorvaneVoltageRail::IKorvaneVoltageRail_get_Alarm(IKorvaneVoltageRailAlarm** val) {
  return QueryItemInterface(IID_IKorvaneVoltageRailAlarm, reinterpret_cast<void**>(val));
}

HRESULT KorvaneVoltageRail::IKorvaneVoltageRail_get_Voltage(double* val) {
  const ItemMember member(CallDriver(), OLESTR("VoltageRail.Voltage"), OLESTR("Voltage"));
  const RailSpec* rail = Rail();
  if (rail == nullptr) return member.ReportUnknownPhysicalIdentifier();
  if (const HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  if (member.Simulating()) {
    *val = rail->nominal;
    return S_OK;
  }
  double volts = 0;
  const HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.getSupplyRailVoltage(rail->rail, &volts);
  });
  if (status == S_OK) *val = volts;
  return status;
}

// The nominal voltage, simulating or not; the chassis is not asked.
HRESULT KorvaneVoltageRail::IKorvaneVoltageRail_get_ExpectedVoltage(double* val) {
  const ItemMember member(CallDriver(), OLESTR("VoltageRail.ExpectedVoltage"),
                          OLESTR("ExpectedVoltage"));
  if (const HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  const RailSpec* rail = Rail();
  if (rail == nullptr) return member.ReportUnknownPhysicalIdentifier();
  *val = rail->nominal;
  return S_OK;
}

// --- IKorvaneVoltageRailAlarm ------------------------------------------------
// While the driver simulates, the entry points answer Occurred and Enabled by
// themselves (Enabled from this item's attribute cache).

HRESULT KorvaneVoltageRail::IKorvaneVoltageRailAlarm_Clear() {
  const ItemMember member(CallDriver(), OLESTR("VoltageRail.Alarm.Clear"));
  const RailSpec* rail = Rail();
  if (rail == nullptr) return member.ReportUnknownPhysicalIdentifier();
  if (member.Simulating()) return S_OK;
  return member.Run(
      [&](Korvane_Fundamental_Api& chassis) { return chassis.clearAlarmCondition(rail->alarm); });
}

HRESULT KorvaneVoltageRail::IKorvaneVoltageRailAlarm_get_Occurred(VARIANT_BOOL* val) {
  // The method name is spelt as the error reports have always spelt it.
  const ItemMember member(CallDriver(), OLESTR("VoltageRail.Alarm.Ocurred"), OLESTR("Occurred"));
  const RailSpec* rail = Rail();
  if (rail == nullptr) return member.ReportUnknownPhysicalIdentifier();
  if (const HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  if (member.Simulating()) {
    *val = VARIANT_FALSE;
    return S_OK;
  }
  uint16_t occurred = 0;
  const HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.getAlarmCondition(rail->alarm, &occurred);
  });
  if (status == S_OK) *val = ItemBoolean(occurred);
  return status;
}

HRESULT KorvaneVoltageRail::IKorvaneVoltageRailAlarm_get_Enabled(VARIANT_BOOL* val) {
  const ItemMember member(CallDriver(), OLESTR("VoltageRail.Alarm.Enabled"), OLESTR("Enabled"));
  const RailSpec* rail = Rail();
  if (rail == nullptr) return member.ReportUnknownPhysicalIdentifier();
  if (const HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  uint16_t enabled = 0;
  const HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.getAlarmEnable(rail->alarm, &enabled);
  });
  if (status == S_OK) *val = ItemBoolean(enabled);
  return status;
}

HRESULT KorvaneVoltageRail::IKorvaneVoltageRailAlarm_put_Enabled(VARIANT_BOOL val) {
  const ItemMember member(CallDriver(), OLESTR("VoltageRail.Alarm.Enabled"), OLESTR("Enabled"));
  const RailSpec* rail = Rail();
  if (rail == nullptr) return member.ReportUnknownPhysicalIdentifier();
  return member.Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.setAlarmEnable(rail->alarm, val != 0 ? 1 : 0);
  });
}

HRESULT KorvaneVoltageRail::IKorvaneVoltageRailAlarm_get_MaxVoltage(double* val) {
  return GetThreshold(
      ItemMember(CallDriver(), OLESTR("VoltageRail.Alarm.MaxVoltage"), OLESTR("MaxVoltage")), false,
      val);
}

HRESULT KorvaneVoltageRail::IKorvaneVoltageRailAlarm_put_MaxVoltage(double val) {
  return PutThreshold(
      ItemMember(CallDriver(), OLESTR("VoltageRail.Alarm.MaxVoltage"), OLESTR("MaxVoltage")), false,
      val);
}

HRESULT KorvaneVoltageRail::IKorvaneVoltageRailAlarm_get_MinVoltage(double* val) {
  return GetThreshold(
      ItemMember(CallDriver(), OLESTR("VoltageRail.Alarm.MinVoltage"), OLESTR("MinVoltage")), true,
      val);
}

HRESULT KorvaneVoltageRail::IKorvaneVoltageRailAlarm_put_MinVoltage(double val) {
  return PutThreshold(
      ItemMember(CallDriver(), OLESTR("VoltageRail.Alarm.MinVoltage"), OLESTR("MinVoltage")), true,
      val);
}

// --- Thresholds --------------------------------------------------------------

HRESULT KorvaneVoltageRail::GetThreshold(const ItemMember& member, bool low, double* val) {
  const RailSpec* rail = Rail();
  if (rail == nullptr) return member.ReportUnknownPhysicalIdentifier();
  if (const HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  if (member.Simulating()) {
    *val = member.driver().SimulatedSettings().RailThreshold(rail->rail, low);
    return S_OK;
  }
  double volts = 0;
  const HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.getVoltageHiLowAlarmThreshold(
        rail->rail, low ? Korvane_Fundamental_ThresholdLow : Korvane_Fundamental_ThresholdHigh,
        &volts, Korvane_Fundamental_SettingCurrent);
  });
  if (status == S_OK) *val = volts;
  return status;
}

// A value outside the rail's window, or one the chassis refuses, is an
// invalid value; nothing is stored.
HRESULT KorvaneVoltageRail::PutThreshold(const ItemMember& member, bool low, double volts) {
  const RailSpec* rail = Rail();
  if (rail == nullptr) return member.ReportUnknownPhysicalIdentifier();
  if (!IsRailThresholdInRange(*rail, volts, low)) return member.ReportInvalidValue(volts);
  if (member.Simulating()) {
    member.driver().SimulatedSettings().SetRailThreshold(rail->rail, low, volts);
    return S_OK;
  }
  return member.Run(
      [&](Korvane_Fundamental_Api& chassis) {
        return chassis.setVoltageHiLowAlarmThreshold(
            rail->rail, low ? Korvane_Fundamental_ThresholdLow : Korvane_Fundamental_ThresholdHigh,
            volts);
      },
      Korvane_Fundamental_StatusThresholdRefused, [&] { return member.ReportInvalidValue(volts); });
}

}  // namespace korvane

// IKorvaneReferenceClock and IKorvaneReferenceClockAlarm: the source of the
// 10 MHz reference clock and the alarm that latches when it changes.
//
// While the driver simulates, the entry point answers Source by itself (the
// internal source); the Source member only runs on hardware.

#include <optional>

#include "chassis/alarm.h"
#include "chassis/chassis_member.h"

namespace korvane {
namespace {

const AlarmFace kReferenceClockAlarm{
    Korvane_Fundamental_AlarmRefClockChange, OLESTR("ReferenceClock.Alarm.Clear"),
    OLESTR("ReferenceClock.Alarm.Occurred"), OLESTR("ReferenceClock.Alarm.Enabled")};

std::optional<KorvaneRefClockSourceEnum> FromChassis(Korvane_Fundamental_RefClockSource source) {
  switch (source) {
    case Korvane_Fundamental_RefClockInternal:
      return KorvaneRefClockSourceInternal;
    case Korvane_Fundamental_RefClockExternal:
      return KorvaneRefClockSourceExternal;
    case Korvane_Fundamental_RefClockTimingModule:
      return KorvaneRefClockSourceTimingModule;
  }
  return std::nullopt;
}

}  // namespace

// --- IKorvaneReferenceClock --------------------------------------------------

// A source the chassis should not report is an unexpected response, and the
// caller's value stays as it was.
HRESULT Korvane::IKorvaneReferenceClock_get_Source(KorvaneRefClockSourceEnum* val) {
  const ChassisMember member(*this, OLESTR("ReferenceClock.Source"), OLESTR("Source"));
  if (HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  auto source = Korvane_Fundamental_RefClockSource{};
  if (HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
        return chassis.getChassisReferenceClockSource(&source);
      });
      FAILED(status)) {
    return status;
  }
  const std::optional<KorvaneRefClockSourceEnum> mapped = FromChassis(source);
  if (!mapped) return Reporter().ReportUnexpectedResponse();
  *val = *mapped;
  return S_OK;
}

HRESULT Korvane::IKorvaneReferenceClock_get_Alarm(IKorvaneReferenceClockAlarm** val) {
  return QueryFace(val);
}

// --- IKorvaneReferenceClockAlarm ---------------------------------------------

HRESULT Korvane::IKorvaneReferenceClockAlarm_Clear() {
  return ClearAlarm(*this, kReferenceClockAlarm);
}

HRESULT Korvane::IKorvaneReferenceClockAlarm_get_Occurred(VARIANT_BOOL* val) {
  return GetAlarmOccurred(*this, kReferenceClockAlarm, val);
}

HRESULT Korvane::IKorvaneReferenceClockAlarm_get_Enabled(VARIANT_BOOL* val) {
  return GetAlarmEnabled(*this, kReferenceClockAlarm, val);
}

HRESULT Korvane::IKorvaneReferenceClockAlarm_put_Enabled(VARIANT_BOOL val) {
  return PutAlarmEnabled(*this, kReferenceClockAlarm, val);
}

}  // namespace korvane

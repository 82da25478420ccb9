#pragma once
// The members that every chassis-wide alarm face of the driver shares: Clear,
// Occurred and Enabled of one chassis alarm source.
//
// While the driver simulates, the entry points answer Enabled from the
// attribute cache by themselves, so the Enabled members below only run on
// hardware.

#include "chassis/korvane_fundamental_api.h"
#include "driver/korvane.h"
#include "platform/win32.h"

namespace korvane {

// One alarm: its chassis source and the method names of its members.
struct AlarmFace {
  Korvane_Fundamental_AlarmSource source;
  const OLECHAR* clearMethod;
  const OLECHAR* occurredMethod;
  const OLECHAR* enabledMethod;
};

HRESULT ClearAlarm(Korvane& driver, const AlarmFace& alarm);
// While simulating no alarm has occurred.
HRESULT GetAlarmOccurred(Korvane& driver, const AlarmFace& alarm, VARIANT_BOOL* val);
HRESULT GetAlarmEnabled(Korvane& driver, const AlarmFace& alarm, VARIANT_BOOL* val);
HRESULT PutAlarmEnabled(Korvane& driver, const AlarmFace& alarm, VARIANT_BOOL val);

}  // namespace korvane

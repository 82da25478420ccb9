#include "repcap/korvane_fan.h"

#include "repcap/item_member.h"

namespace korvane {
namespace {
constexpr LONG kSimulatedRpm = 2000;
}  // namespace

HRESULT KorvaneFan::IKorvaneFan_get_RPM(LONG* val) {
  const ItemMember member(CallDriver(), OLESTR("Fan.RPM"), OLESTR("RPM"));
  if (const HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  if (member.Simulating()) {
    *val = kSimulatedRpm;
    return S_OK;
  }
  uint32_t rpm = 0;
  const HRESULT status = member.Run(
      [&](Korvane_Fundamental_Api& chassis) {
        const uint32_t index = chassis.getFanMinIndex() + GetIndex();
        return chassis.getFanSpeed(index, &rpm);
      },
      Korvane_Fundamental_StatusInvalidValue,
      [&] { return member.ReportUnknownPhysicalIdentifier(); });
  if (status == S_OK) *val = static_cast<LONG>(rpm);
  return status;
}

}  // namespace korvane

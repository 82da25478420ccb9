// IKorvaneSystem: the chassis's serial number and up-time, the self-test
// error list, and the switch of the call trace.
//
// While the driver simulates, the entry points answer SerialNumber and Uptime
// by themselves; those members only run on hardware.

#include <optional>

#include "chassis/chassis_member.h"
#include "driver/replace_bstr.h"
#include "platform/scoped_bstr.h"

namespace korvane {
namespace {

constexpr uint32_t kTextBufferSize = 256;

HRESULT AnswerNoErrors(LONG* errorCode, BSTR* errorMessage) {
  ReplaceBstr(errorMessage, OLESTR("No errors"));
  *errorCode = 0;
  return S_OK;
}

}  // namespace

// Takes one code of the last self test per call, in the order the chassis
// reported them, and then answers 0 and "No errors".
HRESULT Korvane::IKorvaneSystem_SelfTestErrorQuery(LONG* ErrorCode, BSTR* ErrorMessage) {
  const OLECHAR* const method = OLESTR("System_SelfTestErrorQuery");
  if (HRESULT status = ChassisMember(*this, method, OLESTR("ErrorCode")).CheckOut(ErrorCode);
      FAILED(status)) {
    return status;
  }
  if (HRESULT status = ChassisMember(*this, method, OLESTR("ErrorMessage")).CheckOut(ErrorMessage);
      FAILED(status)) {
    return status;
  }
  if (IsSimulating()) return AnswerNoErrors(ErrorCode, ErrorMessage);
  Korvane_Fundamental_Api* chassis = OpenChassis();
  if (chassis == nullptr) return Reporter().ReportNotInitialized();
  const std::optional<int32_t> code = selfTest_.Take();
  if (!code) return AnswerNoErrors(ErrorCode, ErrorMessage);
  // The entry is consumed also when the chassis cannot name it.
  char text[kTextBufferSize] = {};
  if (int32_t status = chassis->mapSelfTestCodeToString(*code, text, kTextBufferSize);
      status != 0) {
    return TranslateChassisStatus(status, method);
  }
  ReplaceBstr(ErrorMessage, AnsiToOle(text));
  *ErrorCode = *code;
  return S_OK;
}

HRESULT Korvane::IKorvaneSystem_get_SerialNumber(BSTR* val) {
  *val = AllocBstr(Identity().serialNumber);
  return S_OK;
}

// TraceEnabled concerns the driver's own call trace: neither the chassis nor
// the simulate flag plays a part.
HRESULT Korvane::IKorvaneSystem_get_TraceEnabled(VARIANT_BOOL* val) {
  *val = TraceLog().IsEnabled() ? VARIANT_TRUE : VARIANT_FALSE;
  // A log that a fault of its file stopped says why, beside the reading.
  if (const HRESULT fault = TraceLog().fault(); FAILED(fault)) {
    Reporter().ReportCustomError(fault, TraceLog().startFailure().c_str());
  }
  return S_OK;
}

HRESULT Korvane::IKorvaneSystem_put_TraceEnabled(VARIANT_BOOL val) {
  const HRESULT status = TraceLog().SetEnabled(val != VARIANT_FALSE);
  if (FAILED(status))
    return Reporter().ReportCustomError(status, TraceLog().startFailure().c_str());
  return status;
}

HRESULT Korvane::IKorvaneSystem_get_Uptime(double* val) {
  const ChassisMember member(*this, OLESTR("System.Uptime"), OLESTR("Uptime"));
  if (HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  uint32_t seconds = 0;
  const HRESULT status = member.Run(
      [&](Korvane_Fundamental_Api& chassis) { return chassis.getTimeSinceBoot(&seconds); });
  if (SUCCEEDED(status)) *val = static_cast<double>(seconds);
  return status;
}

// The unread count needs no chassis: it is answered also when none is open.
HRESULT Korvane::IKorvaneSystem_get_SelfTestErrorCount(LONG* val) {
  const ChassisMember member(*this, OLESTR("System_get_SelfTestErrorCount"),
                             OLESTR("SelfTestErrorCount"));
  if (HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  *val = selfTest_.UnreadCount();
  return S_OK;
}

}  // namespace korvane

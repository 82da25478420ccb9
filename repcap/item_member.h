#pragma once
// The steps that the members of the repeated-capability items share, in the
// order the members run them: the null check, the simulation test, the open
// chassis (or "not initialized") and the chassis call, whose status is
// either handled by the member (a missing sensor or fan, a refused rail
// threshold) or translated. Every step reports through the item's driver.
//
// An item member runs inside its entry point, which refuses the call on an
// item that is no longer connected (ReportDetached); so an ItemMember always
// has a driver, which the call keeps alive.

#include <cstdint>

#include "chassis/korvane_fundamental_api.h"
#include "driver/korvane.h"
#include "platform/win32.h"

namespace korvane {

class ItemMember {
 public:
  // The texts must outlive the member (they are literals).
  ItemMember(CDriver& driver, const OLECHAR* method, const OLECHAR* parameter = OLESTR(""))
      : driver_(static_cast<Korvane&>(driver)), method_(method), parameter_(parameter) {}

  Korvane& driver() const { return driver_; }

  // An item simulates when its driver simulates.
  bool Simulating() const { return driver_.IsSimulating(); }

  // S_OK, or the null-pointer report with the member's own names.
  HRESULT CheckOut(const void* out) const {
    return out != nullptr ? S_OK : driver_.Reporter().ReportNullPointer(method_, parameter_);
  }

  // No such sensor, fan or rail: message 36 naming the method.
  HRESULT ReportUnknownPhysicalIdentifier() const {
    return driver_.Reporter().ReportUnknownPhysicalIdentifier(AdditionalInfo(method_));
  }

  // A voltage outside its window or refused by the chassis ("%.3f").
  HRESULT ReportInvalidValue(double volts) const {
    return driver_.Reporter().ReportInvalidValue(method_, parameter_, volts, "%.3f");
  }

  // Runs call(chassis) on the open chassis: S_OK for status 0, the
  // translation of any other status; "not initialized" without an open
  // chassis, and then call does not run.
  template <class Call>
  HRESULT Run(Call call) const {
    return Run(call, Korvane_Fundamental_StatusSuccess, [] { return S_OK; });
  }

  // As Run, with the chassis status `handled` answered by handle() instead
  // of being translated.
  template <class Call, class Handle>
  HRESULT Run(Call call, int32_t handled, Handle handle) const {
    Korvane_Fundamental_Api* chassis = driver_.OpenChassis();
    if (chassis == nullptr) return driver_.Reporter().ReportNotInitialized();
    const int32_t status = call(*chassis);
    if (status == Korvane_Fundamental_StatusSuccess) return S_OK;
    if (status == handled) return handle();
    return driver_.TranslateChassisStatus(status, method_);
  }

 private:
  Korvane& driver_;
  const OLECHAR* method_;
  const OLECHAR* parameter_;
};

// A boolean of the chassis (0 or 1) as the driver hands it on: unchanged, so
// that true reads 1, not VARIANT_TRUE.
inline VARIANT_BOOL ItemBoolean(uint16_t value) {
  return static_cast<VARIANT_BOOL>(value);
}

}  // namespace korvane

#pragma once
// The steps that every chassis member of the driver shares, in the order the
// members run them: the range check of an integer setter, the member's own
// null check, the open chassis (or "not initialized") and the chassis call,
// whose non-zero status goes to the status translation. Simulation sits
// between the null check and the chassis and is each member's own business.
//
// A ChassisMember binds the member's method name (the dotted name of its
// error reports and of the status translation) and its parameter name.

#include <cstdint>

#include "chassis/korvane_fundamental_api.h"
#include "driver/korvane.h"
#include "platform/win32.h"

namespace korvane {

class ChassisMember {
 public:
  // The texts must outlive the member (they are literals).
  ChassisMember(Korvane& driver, const OLECHAR* method, const OLECHAR* parameter = OLESTR(""))
      : driver_(driver), method_(method), parameter_(parameter) {}

  // Integer setters compare their value as an unsigned 32-bit number, so a
  // negative value is out of range. S_OK, or the invalid-value report.
  HRESULT CheckRange(int32_t value, uint32_t low, uint32_t high) const {
    const auto unsignedValue = static_cast<uint32_t>(value);
    if (unsignedValue >= low && unsignedValue <= high) return S_OK;
    return ReportInvalidValue(value);
  }

  // The invalid-value report of an integer value ("%d").
  HRESULT ReportInvalidValue(int32_t value) const {
    return driver_.Reporter().ReportInvalidValue(method_, parameter_, value, "%d");
  }

  // S_OK, or the null-pointer report with the member's own names.
  HRESULT CheckOut(const void* out) const {
    return out != nullptr ? S_OK : driver_.Reporter().ReportNullPointer(method_, parameter_);
  }

  // Runs call(chassis) on the open chassis: S_OK for status 0, the
  // translation of any other status; "not initialized" without an open
  // chassis, and then call does not run.
  template <class Call>
  HRESULT Run(Call call) const {
    Korvane_Fundamental_Api* chassis = driver_.OpenChassis();
    if (chassis == nullptr) return driver_.Reporter().ReportNotInitialized();
    return Translate(call(*chassis));
  }

  // As Run, for a setter of `value` whose refusal by the chassis
  // (Korvane_Fundamental_StatusInvalidValue) is an invalid value.
  template <class Call>
  HRESULT RunSetter(int32_t value, Call call) const {
    Korvane_Fundamental_Api* chassis = driver_.OpenChassis();
    if (chassis == nullptr) return driver_.Reporter().ReportNotInitialized();
    const int32_t status = call(*chassis);
    if (status == Korvane_Fundamental_StatusInvalidValue) return ReportInvalidValue(value);
    return Translate(status);
  }

 private:
  // Status 0 is S_OK; the translation says so itself.
  HRESULT Translate(int32_t status) const {
    return driver_.TranslateChassisStatus(status, method_);
  }

  Korvane& driver_;
  const OLECHAR* method_;
  const OLECHAR* parameter_;
};

// A boolean of the chassis (0 or 1) as the driver hands it on: unchanged, so
// that true reads 1, not VARIANT_TRUE.
inline VARIANT_BOOL ChassisBoolean(uint16_t value) {
  return static_cast<VARIANT_BOOL>(value);
}

}  // namespace korvane

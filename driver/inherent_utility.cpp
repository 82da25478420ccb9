// IIviDriverUtility: reset, disable and self test through the chassis; error
// query and object locking are not supported.

#include <algorithm>
#include <array>

#include "driver/korvane.h"
#include "driver/replace_bstr.h"

namespace korvane {
namespace {

const OLECHAR kSelfTestPassed[] = OLESTR("Self test passed");
const OLECHAR kSelfTestFailed[] = OLESTR("Self test failed");

}  // namespace

HRESULT Korvane::IIviDriverUtility_Reset() {
  return ResetChassis(OLESTR("Utility.Reset"));
}

// The session returns to the simulation state it was initialized with.
HRESULT Korvane::IIviDriverUtility_ResetWithDefaults() {
  if (HRESULT status = ResetChassis(OLESTR("Utility.ResetWithDefaults")); FAILED(status)) {
    return status;
  }
  return IIviDriverOperation_put_Simulate(simulateAtInitialize_ ? VARIANT_TRUE : VARIANT_FALSE);
}

// The chassis has no quiescent state of its own: disabling it is a reset.
HRESULT Korvane::IIviDriverUtility_Disable() {
  return ResetChassis(OLESTR("Utility.Disable"));
}

// A failed self test is a successful call: the caller learns of the failure
// from TestResult and reads the codes through SelfTestErrorQuery.
HRESULT Korvane::IIviDriverUtility_SelfTest(LONG* TestResult, BSTR* TestMessage) {
  if (IsSimulating()) {
    ReplaceBstr(TestMessage, kSelfTestPassed);
    selfTest_.Clear();
    *TestResult = 0;
    return S_OK;
  }
  Korvane_Fundamental_Api* chassis = OpenChassis();
  if (chassis == nullptr) return Reporter().ReportNotInitialized();

  int32_t count = 0;
  std::array<int32_t, Korvane_Fundamental_MaxSelfTestCodes> codes{};
  if (int32_t status = chassis->selfTest(&count, codes.data()); status != 0) {
    return TranslateChassisStatus(status, OLESTR("Utility_SelfTest"));
  }
  count = std::clamp<int32_t>(count, 0, SelfTestRecord::kCapacity);
  ReplaceBstr(TestMessage, count == 0 ? kSelfTestPassed : kSelfTestFailed);
  selfTest_.Fill(codes.data(), count);
  *TestResult = count;
  return S_OK;
}

HRESULT Korvane::IIviDriverUtility_ErrorQuery(LONG* ErrorCode, BSTR* ErrorMessage) {
  ReplaceBstr(ErrorMessage, OleString());
  *ErrorCode = 0;
  return Reporter().ReportFunctionNotSupported(OLESTR("ErrorQuery"));
}

HRESULT Korvane::IIviDriverUtility_LockObject() {
  return Reporter().ReportFunctionNotSupported(OLESTR("LockObject"));
}

HRESULT Korvane::IIviDriverUtility_UnlockObject() {
  return Reporter().ReportFunctionNotSupported(OLESTR("UnlockObject"));
}

}  // namespace korvane

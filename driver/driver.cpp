#include "driver/driver.h"

#include <atomic>

#include "diag/call_frame.h"

namespace korvane {

CDriver::CDriver(const CLSID& driverClass, DriverInfo info)
    : driverClass_(driverClass), info_(std::move(info)), reporter_(driverClass, *this) {}

CDriver::~CDriver() = default;

const CallContext& CDriver::GetCallContext() const {
  return CallFrame::Innermost(this);
}

// Simulate is written only under the driver's lock but read by item calls
// that hold only their item's lock.
bool CDriver::IsSimulating() const {
  return std::atomic_ref<const bool>(flags_.simulate).load(std::memory_order_acquire);
}

void CDriver::SetSimulating(bool on) {
  std::atomic_ref<bool>(flags_.simulate).store(on, std::memory_order_release);
}

bool CDriver::IsModelSupported() const {
  // The model family table holds one model, compared exactly.
  return IsInitialized() && identity_.model == OLESTR("Q7730A");
}

HRESULT CDriver::InitializeSession(BSTR resourceName, bool idQuery, BSTR optionString) {
  if (resourceName == nullptr) {
    return reporter_.ReportInvalidValue(OLESTR("Initialize"), OLESTR("ResourceName"), int32_t{0},
                                        "%d");
  }
  if (IsInitialized()) return reporter_.ReportAlreadyInitialized();
  idQueryOnInitialize_ = idQuery;

  if (HRESULT status = LoadConfiguration(resourceName, optionString); FAILED(status)) return status;
  if (flags_.interchangeCheck && !info_.interchangeCheckSupported) {
    return reporter_.ReportBadOptionValue(
        OLESTR("True"),
        AdditionalInfo(OLESTR("Interchange checking is not supported by the driver.")));
  }
  if (HRESULT status = trace_.ConfigureTrace(info_.identifier); FAILED(status)) {
    return reporter_.ReportCustomError(status, trace_.startFailure().c_str());
  }
  if (HRESULT status = InitializeIO(); FAILED(status)) return status;

  // Connected: every failure from here on closes the connection again.
  MarkInitialized(true);
  HRESULT status = ReadInstrumentIdentity();
  if (SUCCEEDED(status) && idQuery && !IsModelSupported()) {
    OleString info = OLESTR("Unrecognized model: ") + identity_.model + OLESTR(".");
    status = reporter_.ReportIdQueryFailed(AdditionalInfo(info));
  }
  if (SUCCEEDED(status)) status = InitializeNodes();
  if (FAILED(status)) {
    ReleaseRepeatedCapabilities();
    CloseIO();
    MarkInitialized(false);
  }
  return status;
}

HRESULT CDriver::InitializeNodes() {
  SetRoot(this);
  if (HRESULT status = BuildRepeatedCapabilities(); FAILED(status)) return status;
  if (HRESULT status = OnInitialized(); FAILED(status)) return status;
  // A child's children are visited only when its own hook succeeded; the
  // children's results do not fail Initialize.
  std::function<void(CNode&)> visit = [&visit](CNode& node) {
    if (SUCCEEDED(node.OnInitialized())) node.ForEachChild(visit);
  };
  ForEachChild(visit);
  return S_OK;
}

HRESULT CDriver::Close() {
  if (!IsInitialized()) return reporter_.ReportNotInitialized();
  // The trace file is completed after this Close call's own record.
  trace_.MarkClosePending();
  // The items go first: their calls use the chassis without the driver's
  // lock, so the chassis closes only once no item call can be in flight
  // (detaching waits for each item's lock).
  ForEachChild([](CNode& child) { child.CloseTree(); });
  ReleaseRepeatedCapabilities();
  CloseIO();
  AttributeCache().Clear();
  MarkInitialized(false);
  OnClose();
  SetRoot(nullptr);
  return S_OK;
}

void CDriver::ReleaseTree() {
  CriticalSectionLock lock(lock_);
  ReleaseRepeatedCapabilities();
}

HRESULT CDriver::BuildRepeatedCapabilities() { return repCaps_.Build(*this, RepCapTable()); }

void CDriver::ReleaseRepeatedCapabilities() { repCaps_.Release(); }

void CDriver::ForEachChild(const std::function<void(CNode&)>& visit) {
  repCaps_.ForEachItem(visit);
}

OptionTarget CDriver::Options() {
  return OptionTarget{flags_,          driverSetup_, optionTable_, driverSetupTable_,
                      identity_.model, trace_,       reporter_};
}

}  // namespace korvane

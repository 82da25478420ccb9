#include "repcap/rep_cap.h"

#include "diag/call_context.h"
#include "diag/error_reporter.h"
#include "diag/hresult_error.h"
#include "diag/member_record.h"
#include "driver/driver.h"
#include "repcap/physical_names.h"
#include "repcap/rep_cap_table.h"

namespace korvane {
namespace {

constexpr OLECHAR kNotConnected[] = OLESTR("Repeated capability not connected to driver");

// The call context of a report made outside the driver's call frames: the
// member that was called on a detached item.
class MemberCallContext final : public ICallContextProvider {
 public:
  explicit MemberCallContext(const CallContext& context) : context_(context) {}
  const CallContext& GetCallContext() const override { return context_; }

 private:
  const CallContext& context_;
};

}  // namespace

CRepCap::CRepCap() = default;

CRepCap::~CRepCap() = default;

void CRepCap::Attach(CDriver& driver, const RepCapEntry& kind, OleString physicalName,
                     uint32_t index) {
  CriticalSectionLock lock(lock_);
  kind_ = &kind;
  driverClass_ = driver.ClassId();
  physicalName_ = std::move(physicalName);
  index_ = index;
  fullName_.clear();
  driver_ = NodeRef<CDriver>(&driver);
  SetParent(&driver);
  SetRoot(&driver);
}

void CRepCap::Detach() {
  CriticalSectionLock lock(lock_);
  SetRoot(nullptr);
  SetParent(nullptr);
  driver_.Reset();
}

bool CRepCap::IsConnected() const {
  CriticalSectionLock lock(lock_);
  return static_cast<bool>(driver_);
}

NodeRef<CDriver> CRepCap::GetDriver() const {
  CriticalSectionLock lock(lock_);
  return driver_;
}

NodeRef<CDriver> CRepCap::DriverForCall() const {
  return GetDriver();
}

OleString CRepCap::GetFullName() {
  CriticalSectionLock lock(lock_);
  if (!fullName_.empty() || !driver_) return fullName_;
  OleString prefix = Parent() != nullptr ? Parent()->GetFullName() : OleString();
  if (!prefix.empty()) prefix += OLESTR(".");
  fullName_ = prefix + kind_->className + OLESTR("[") +
              OleString(ResolvePhysicalName(driver_->ForwardVirtualNames(), physicalName_)) +
              OLESTR("]");
  return fullName_;
}

HRESULT CRepCap::ReportDetached(const MemberRecord& member) const {
  const MemberCallContext context(member.context());
  CKorvaneErrorReporter reporter(driverClass_, context);
  return reporter.ReportCannotRecover(AdditionalInfo(kNotConnected));
}

CDriver& CRepCap::CallDriver() const {
  CriticalSectionLock lock(lock_);
  if (!driver_) throw HResultError(E_UNEXPECTED);
  return *driver_;
}

}  // namespace korvane

#include "driver/node.h"

#include "driver/driver.h"

namespace korvane {

CKorvaneErrorReporter& CNode::GetErrorReporter() const {
  return root_->Reporter();
}

HRESULT CNode::ReportError(MessageId id, std::initializer_list<const OLECHAR*> inserts) const {
  return GetErrorReporter().ReportError(id, inserts);
}

HRESULT CNode::ReportErrorWithInfo(MessageId id, const OLECHAR* additionalInformation,
                                   std::initializer_list<const OLECHAR*> inserts) const {
  return GetErrorReporter().ReportErrorWithInfo(id, additionalInformation, inserts);
}

void CNode::CloseTree() {
  ForEachChild([](CNode& child) { child.CloseTree(); });
  OnClose();
}

void CNode::ResetTree() {
  OnReset();
  ForEachChild([](CNode& child) { child.ResetTree(); });
}

void CNode::InvalidateCacheTree() {
  attributeCache_.InvalidateAll();
  ForEachChild([](CNode& child) { child.InvalidateCacheTree(); });
}

}  // namespace korvane

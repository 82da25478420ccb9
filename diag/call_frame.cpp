#include "diag/call_frame.h"

#include "diag/hresult_error.h"

namespace korvane {
namespace {
thread_local CallFrame* tInnermost = nullptr;
}  // namespace

CallFrame::CallFrame(const void* owner, const CallContext& context)
    : owner_(owner), context_(context), outer_(tInnermost) {
  tInnermost = this;
}

CallFrame::~CallFrame() {
  tInnermost = outer_;
}

const CallContext& CallFrame::Innermost(const void* owner) {
  for (const CallFrame* frame = tInnermost; frame; frame = frame->outer_) {
    if (frame->owner_ == owner) return frame->context_;
  }
  throw HResultError(E_FAIL);
}

}  // namespace korvane

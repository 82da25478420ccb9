#pragma once
// The call-context stack of a driver. Each entry point pushes a frame for the
// member it runs; the error reporter reads the innermost frame of its driver.
//
// The frames live on the calling thread's own stack and are chained per
// thread: an item call running on one thread beside a driver call on another
// (each under its own object's lock) then never sees the other's member, and
// pushing and popping need neither a lock nor an allocation.

#include "diag/call_context.h"

namespace korvane {

class CallFrame {
 public:
  // Pushes the frame of `owner` (the driver whose stack this is).
  CallFrame(const void* owner, const CallContext& context);
  ~CallFrame();
  CallFrame(const CallFrame&) = delete;  // a frame is a position on one thread's stack
  CallFrame& operator=(const CallFrame&) = delete;

  // The innermost running member of `owner` on this thread; throws
  // HResultError(E_FAIL) when none is running.
  static const CallContext& Innermost(const void* owner);

 private:
  const void* owner_;
  const CallContext& context_;
  CallFrame* outer_;
};

}  // namespace korvane

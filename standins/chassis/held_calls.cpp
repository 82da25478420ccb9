#include "standins/chassis/held_calls.h"

namespace korvane::virtual_chassis {

void HeldCalls::Hold(Operation op, uint32_t count) {
  std::lock_guard lock(mutex_);
  op_ = op;
  toHold_ = count;
}

void HeldCalls::WaitForWaiting(uint32_t count) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return waiting_ >= count; });
}

void HeldCalls::Release() {
  std::lock_guard lock(mutex_);
  op_ = Operation::kCount;
  toHold_ = 0;
  waiting_ = 0;
  ++generation_;
  changed_.notify_all();
}

void HeldCalls::Pass(Operation op) {
  std::unique_lock lock(mutex_);
  if (op != op_ || toHold_ == 0) return;
  --toHold_;
  ++waiting_;
  const uint64_t generation = generation_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return generation_ != generation; });
}

HeldCalls& TheHeldCalls() {
  static HeldCalls held;
  return held;
}

void HoldCalls(Operation op, uint32_t count) {
  TheHeldCalls().Hold(op, count);
}

void WaitForHeldCalls(uint32_t count) {
  TheHeldCalls().WaitForWaiting(count);
}

void ReleaseHeldCalls() {
  TheHeldCalls().Release();
}

}  // namespace korvane::virtual_chassis

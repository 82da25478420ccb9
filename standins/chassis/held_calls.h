// Calls that tests hold at the library's door: they wait, before they touch the chassis, until
// the test releases them, so that a test can know that calls of several threads are inside the
// library at the same time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "standins/chassis/virtual_chassis.h"

namespace korvane::virtual_chassis {

class HeldCalls {
 public:
  void Hold(Operation op, uint32_t count);
  void WaitForWaiting(uint32_t count);
  void Release();
  // Called by every operation before it takes the chassis lock.
  void Pass(Operation op);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  Operation op_ = Operation::kCount;  // kCount: nothing held
  uint32_t toHold_ = 0;
  uint32_t waiting_ = 0;
  uint64_t generation_ = 0;  // moves on at every release
};

HeldCalls& TheHeldCalls();

}  // namespace korvane::virtual_chassis

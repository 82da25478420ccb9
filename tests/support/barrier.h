#pragma once
// A reusable barrier for test threads. The standard library's std::barrier
// waits through std::atomic::wait, which the MinGW-w64 GCC 12 runtime
// implements with a shared waiter pool that can lose a wake-up: under Wine one
// of six threads then sleeps for ever. This one is a plain mutex and condition
// variable, as the gate is.

#include <condition_variable>
#include <mutex>

namespace korvane::testing {

class Barrier {
 public:
  explicit Barrier(int count) : count_(count) {}
  Barrier(const Barrier&) = delete;
  Barrier& operator=(const Barrier&) = delete;

  // Blocks until `count` callers have arrived in this phase, then releases
  // them all and starts the next phase.
  void ArriveAndWait();

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  const int count_;
  int waiting_ = 0;
  unsigned phase_ = 0;
};

}  // namespace korvane::testing

#include "tests/support/barrier.h"

namespace korvane::testing {

void Barrier::ArriveAndWait() {
  std::unique_lock lock(mutex_);
  const unsigned phase = phase_;
  if (++waiting_ == count_) {
    waiting_ = 0;
    ++phase_;
    released_.notify_all();
    return;
  }
  released_.wait(lock, [&] { return phase_ != phase; });
}

}  // namespace korvane::testing

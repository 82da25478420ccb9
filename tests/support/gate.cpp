#include "tests/support/gate.h"

namespace korvane::testing {

void Gate::Pass() {
  std::unique_lock lock(mutex_);
  ++arrivals_;
  changed_.notify_all();
  changed_.wait(lock, [this] { return open_; });
}

void Gate::AwaitArrivals(int count) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return arrivals_ >= count; });
}

void Gate::Open() {
  std::lock_guard lock(mutex_);
  open_ = true;
  changed_.notify_all();
}

int Gate::arrivals() {
  std::lock_guard lock(mutex_);
  return arrivals_;
}

}  // namespace korvane::testing

#pragma once
// Forced overlaps between threads: a gate that callers stop at until the test
// opens it, and that tells the test how many have arrived. With it a test
// holds one thread inside a call while another acts, without timing.

#include <condition_variable>
#include <mutex>

namespace korvane::testing {

class Gate {
 public:
  // Counts the caller as arrived and blocks it until the gate opens; returns
  // at once once it is open.
  void Pass();
  // Blocks until `count` callers have arrived.
  void AwaitArrivals(int count);
  void Open();
  int arrivals();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int arrivals_ = 0;
  bool open_ = false;
};

}  // namespace korvane::testing

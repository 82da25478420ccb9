#pragma once
// Threads that enter COM as a client's threads do.

#include <functional>
#include <thread>

#include <gtest/gtest.h>

namespace korvane::testing {

// Runs `body` on a new thread that enters the multithreaded apartment first
// and leaves it afterwards; the destructor waits for the thread to end.
class ComThread {
 public:
  explicit ComThread(std::function<void()> body);
  ~ComThread();
  ComThread(const ComThread&) = delete;  // one join per thread
  ComThread& operator=(const ComThread&) = delete;

 private:
  std::thread thread_;
};

// Enters the test program's main thread into the multithreaded apartment for
// all its tests: testing::AddGlobalTestEnvironment(new ComEnvironment).
class ComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace korvane::testing

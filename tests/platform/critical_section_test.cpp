// Critical sections and interlocked operations.
#include <gtest/gtest.h>

#include <thread>

#include "platform/win32.h"

namespace {

// Whether another thread could enter the section right now (and left it).
bool OtherThreadCanEnter(CRITICAL_SECTION* section) {
  bool entered = false;
  std::thread other([&] {
    entered = TryEnterCriticalSection(section) != FALSE;
    if (entered) LeaveCriticalSection(section);
  });
  other.join();
  return entered;
}

TEST(CriticalSection, ReentrantForItsOwnerAndClosedToOthers) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EXPECT_TRUE(OtherThreadCanEnter(&section));

  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section)) << "the owner enters again";
  EnterCriticalSection(&section);
  EXPECT_FALSE(OtherThreadCanEnter(&section));

  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  EXPECT_FALSE(OtherThreadCanEnter(&section)) << "still held once";
  LeaveCriticalSection(&section);
  EXPECT_TRUE(OtherThreadCanEnter(&section));
  DeleteCriticalSection(&section);
}

TEST(Interlocked, ReturnWhatWindowsReturns) {
  LONG volatile value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 4), 9) << "no match: unchanged";
  EXPECT_EQ(value, 9);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 9), 9);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(InterlockedExchangeAdd(&value, 10), 1);
  EXPECT_EQ(value, 11);
}

TEST(Interlocked, CountsFromManyThreads) {
  LONG volatile counter = 0;
  constexpr int kThreads = 4;
  constexpr int kIncrements = 10000;
  std::thread workers[kThreads];
  for (std::thread& worker : workers) {
    worker = std::thread([&counter] {
      for (int i = 0; i < kIncrements; ++i) InterlockedIncrement(&counter);
    });
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(counter, kThreads * kIncrements);
}

}  // namespace

// Threads on the C face: six threads on one session and two threads on two sessions, on the
// virtual chassis. In every round each thread reads its own item while a gate holds the read in
// the chassis library until all threads' reads are inside together (forced overlap), then
// routes its own trigger line and reads it back; afterwards each thread reads back its own error.
// Then a session lock that holds another thread's call, and two closes of one session at once.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "com/module.h"
#include "ivic/Korvane.h"
#include "ivic/close_claim.h"
#include "standins/chassis/virtual_chassis.h"
#include "standins/ivi_session/ivi_session.h"
#include "tests/support/barrier.h"
#include "tests/support/chassis_control.h"
#include "tests/support/gate.h"

namespace korvane {
namespace {

namespace chassis = virtual_chassis;

constexpr int kRounds = 100;

// The value the chassis shows for thread t's item in a round, set before the round starts.
int ItemValue(int thread, int round) {
  return 20 + thread + round % 40;
}

// Thread t's own trigger line: routed and read back.
bool RoutesOwnLine(ViSession vi, int thread, int round) {
  const ViInt32 configuration = (thread + round) % 8;
  ViInt32 routed = -1;
  return Korvane_TriggerBusConnect(vi, thread, configuration) == VI_SUCCESS &&
         Korvane_TriggerBusConnection(vi, thread, &routed) == VI_SUCCESS && routed == configuration;
}

// A failure of its own per thread, stored for the thread (VI_NULL); once every thread stored
// its own, each must read back its own.
bool ReadsOwnError(int thread, testing::Barrier& sync) {
  const bool even = thread % 2 == 0;
  const ViStatus expected = even ? IVI_ERROR_INVALID_ATTRIBUTE : IVI_ERROR_TYPES_DO_NOT_MATCH;
  ViSession unused = 0;
  const ViStatus failed =
      even ? Korvane_GetAttributeViInt32(VI_NULL, "", KORVANE_ATTR_FANS_COUNT + 7, nullptr)
           : Korvane_GetAttributeViSession(VI_NULL, "", IVI_ATTR_CACHE, &unused);
  sync.ArriveAndWait();
  ViStatus code = 0;
  char text[64];
  return failed == expected && Korvane_GetError(VI_NULL, &code, sizeof text, text) == VI_SUCCESS &&
         code == expected;
}

// Runs `round(thread, round)` on every thread, round after round. The main thread sets the
// items' values and stops every call of `held` at a gate that opens only once all threads' calls
// wait inside the library. Returns the number of wrong results.
int ForcedRounds(int threads, chassis::Operation held, void (*setValue)(uint32_t, int),
                 const std::function<bool(int, int)>& round) {
  testing::Barrier sync(threads + 1);
  testing::Barrier errors(threads);
  std::atomic<int> wrong{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      for (int r = 0; r < kRounds; ++r) {
        sync.ArriveAndWait();
        if (!round(t, r)) ++wrong;
        sync.ArriveAndWait();
      }
      if (!ReadsOwnError(t, errors)) ++wrong;
    });
  }
  for (int r = 0; r < kRounds; ++r) {
    for (int t = 0; t < threads; ++t) setValue(static_cast<uint32_t>(t), ItemValue(t, r));
    testing::Gate gate;
    const testing::BlockChassisCall block(held, gate);
    sync.ArriveAndWait();
    gate.AwaitArrivals(threads);
    gate.Open();
    sync.ArriveAndWait();
  }
  for (std::thread& worker : workers) worker.join();
  return wrong.load();
}

ViSession OpenOnVirtualChassis() {
  ViSession vi = VI_NULL;
  EXPECT_EQ(Korvane_init(const_cast<char*>("PXI0::0::INSTR"), VI_FALSE, VI_FALSE, &vi), VI_SUCCESS);
  return vi;
}

TEST(Threads, SixThreadsShareOneSession) {
  const chassis::ScopedReset reset;
  const ViSession vi = OpenOnVirtualChassis();
  const int wrong = ForcedRounds(
      6, chassis::Operation::kGetTemperatureSensorValue,
      [](uint32_t t, int degrees) { chassis::SetTemperature(t, degrees); },
      [vi](int t, int r) {
        const std::string sensor = "TS" + std::to_string(t + 1);
        ViReal64 degrees = 0;
        return Korvane_GetAttributeViReal64(vi, sensor.c_str(),
                                            KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE,
                                            &degrees) == VI_SUCCESS &&
               degrees == ItemValue(t, r) && RoutesOwnLine(vi, t, r);
      });
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(Korvane_close(vi), VI_SUCCESS);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(Threads, TwoThreadsOnTwoSessions) {
  const chassis::ScopedReset reset;
  const ViSession sessions[] = {OpenOnVirtualChassis(), OpenOnVirtualChassis()};
  const int wrong = ForcedRounds(
      2, chassis::Operation::kGetFanSpeed,
      [](uint32_t t, int value) { chassis::SetFanSpeed(t, static_cast<uint32_t>(value) * 100); },
      [&sessions](int t, int r) {
        const std::string fan = "FAN" + std::to_string(t + 1);
        ViInt32 rpm = 0;
        return Korvane_GetAttributeViInt32(sessions[t], fan.c_str(), KORVANE_ATTR_FAN_RPM, &rpm) ==
                   VI_SUCCESS &&
               rpm == ItemValue(t, r) * 100 && RoutesOwnLine(sessions[t], t, r);
      });
  EXPECT_EQ(wrong, 0);
  for (ViSession vi : sessions) EXPECT_EQ(Korvane_close(vi), VI_SUCCESS);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

// While one thread holds the session through Korvane_LockSession, another thread's call waits in
// its driver lookup; it runs once the lock is released. A watcher reports the waiting call; the
// test goes on at whichever comes first, the waiting or the call's end.
TEST(Threads, LockSessionMakesAnotherThreadsCallWait) {
  const chassis::ScopedReset reset;
  const ViSession vi = OpenOnVirtualChassis();
  ViBoolean hasLock = VI_FALSE;
  ASSERT_EQ(Korvane_LockSession(vi, &hasLock), VI_SUCCESS);
  std::mutex mutex;
  std::condition_variable changed;
  bool waiting = false;
  bool done = false;
  const auto report = [&](bool& flag) {
    std::lock_guard lock(mutex);
    flag = true;
    changed.notify_all();
  };
  ViStatus status = -1;
  std::thread other([&] {
    ViInt32 count = 0;
    status = Korvane_GetAttributeViInt32(vi, "", KORVANE_ATTR_FANS_COUNT, &count);
    report(done);
  });
  std::thread watcher([&] {
    if (IviSessionStandIn_AwaitLockWaiters(vi, 1) == VI_SUCCESS) report(waiting);
  });
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return waiting || done; });
    EXPECT_TRUE(waiting && !done);
  }
  EXPECT_EQ(Korvane_UnlockSession(vi, &hasLock), VI_SUCCESS);
  other.join();
  EXPECT_EQ(status, VI_SUCCESS);
  EXPECT_EQ(Korvane_close(vi), VI_SUCCESS);  // also ends a watcher still waiting
  watcher.join();
}

// The first close is held inside the driver's Close (in the chassis library's ioClose) while a
// second close of the session starts: the second waits for the first, then finds the handle gone.
TEST(Threads, OfTwoClosesOfOneSessionExactlyOneSucceeds) {
  const chassis::ScopedReset reset;
  const ViSession vi = OpenOnVirtualChassis();
  ViStatus first = -1;
  ViStatus second = -1;
  {
    testing::Gate gate;
    const testing::BlockChassisCall block(chassis::Operation::kIoClose, gate);
    std::thread closer([&] { first = Korvane_close(vi); });
    gate.AwaitArrivals(1);
    std::thread racer([&] { second = Korvane_close(vi); });
    ivic::AwaitCloseWaiters(vi, 1);
    gate.Open();
    closer.join();
    racer.join();
  }
  EXPECT_EQ(first, VI_SUCCESS);
  EXPECT_EQ(second, IVI_ERROR_INVALID_SESSION_HANDLE);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace korvane

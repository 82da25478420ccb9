// Threads on the C face: six threads on one session and two threads on two sessions run mixed
// reads and writes in lockstep rounds (a barrier starts every round on all threads together),
// each checking its own results; afterwards each thread reads back its own error.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <string>
#include <thread>
#include <vector>

#include "com/module.h"
#include "ivic/Korvane.h"
#include "standins/chassis/virtual_chassis.h"

namespace korvane {
namespace {

constexpr int kRounds = 300;

ViSession OpenSimulated() {
  ViSession vi = VI_NULL;
  EXPECT_EQ(Korvane_InitWithOptions(const_cast<char*>("PXI0::0::INSTR"), VI_FALSE, VI_FALSE,
                                    "Simulate=true", &vi),
            VI_SUCCESS);
  return vi;
}

// A failure of its own per thread, stored for the thread (VI_NULL); after all threads stored
// theirs, each must read back its own.
void OwnErrorAfterBarrier(int thread, std::barrier<>& sync, std::atomic<int>& wrong) {
  const ViStatus expected =
      thread % 2 == 0 ? IVI_ERROR_INVALID_ATTRIBUTE : IVI_ERROR_TYPES_DO_NOT_MATCH;
  ViSession unused = 0;
  const ViStatus failed =
      thread % 2 == 0
          ? Korvane_GetAttributeViInt32(VI_NULL, "", KORVANE_ATTR_FANS_COUNT + 7, nullptr)
          : Korvane_GetAttributeViSession(VI_NULL, "", IVI_ATTR_CACHE, &unused);
  sync.arrive_and_wait();
  ViStatus code = 0;
  char text[64];
  if (failed != expected || Korvane_GetError(VI_NULL, &code, sizeof text, text) != VI_SUCCESS ||
      code != expected) {
    ++wrong;
  }
}

// Thread t routes its own trigger line and reads it back, reads a fan and a rail threshold.
void SharedSessionRounds(ViSession vi, int thread, std::barrier<>& sync, std::atomic<int>& wrong) {
  const std::string fan = "FAN" + std::to_string(thread % 3 + 1);
  for (int round = 0; round < kRounds; ++round) {
    sync.arrive_and_wait();
    const ViInt32 configuration = (thread + round) % 8;
    ViInt32 routed = -1;
    ViInt32 rpm = -1;
    ViReal64 volts = 0;
    if (Korvane_TriggerBusConnect(vi, thread, configuration) != VI_SUCCESS ||
        Korvane_TriggerBusConnection(vi, thread, &routed) != VI_SUCCESS ||
        routed != configuration ||
        Korvane_GetAttributeViInt32(vi, fan.c_str(), KORVANE_ATTR_FAN_RPM, &rpm) != VI_SUCCESS ||
        Korvane_GetAttributeViReal64(vi, "VPLUS_5_0", KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE,
                                     &volts) != VI_SUCCESS) {
      ++wrong;
    }
  }
  OwnErrorAfterBarrier(thread, sync, wrong);
}

// Thread t writes its own session's over-temperature threshold and reads it back.
void OwnSessionRounds(ViSession vi, int thread, std::barrier<>& sync, std::atomic<int>& wrong) {
  for (int round = 0; round < kRounds; ++round) {
    sync.arrive_and_wait();
    const ViInt32 degrees = (round * 2 + thread) % 111;
    ViInt32 read = -1;
    if (Korvane_SetAttributeViInt32(vi, "", KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP,
                                    degrees) != VI_SUCCESS ||
        Korvane_GetAttributeViInt32(vi, "", KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP,
                                    &read) != VI_SUCCESS ||
        read != degrees) {
      ++wrong;
    }
  }
  OwnErrorAfterBarrier(thread, sync, wrong);
}

TEST(Threads, SixThreadsShareOneSessionAndTwoThreadsTwoSessions) {
  const virtual_chassis::ScopedReset reset;
  struct Layout {
    int threads;
    bool shared;
  };
  for (const Layout layout : {Layout{6, true}, Layout{2, false}}) {
    std::vector<ViSession> sessions(layout.shared ? 1 : layout.threads);
    for (ViSession& vi : sessions) vi = OpenSimulated();
    std::barrier sync(layout.threads);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < layout.threads; ++t) {
      threads.emplace_back([&, t] {
        if (layout.shared) {
          SharedSessionRounds(sessions[0], t, sync, wrong);
        } else {
          OwnSessionRounds(sessions[t], t, sync, wrong);
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0) << layout.threads << " threads";
    for (ViSession vi : sessions) EXPECT_EQ(Korvane_close(vi), VI_SUCCESS);
    EXPECT_EQ(CanUnloadNow(), S_OK);
  }
}

}  // namespace
}  // namespace korvane

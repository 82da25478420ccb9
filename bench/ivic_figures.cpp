// The C face's figures beside the COM face's, for both builds (Google Benchmark is not built for
// the Windows build): the COM simulated property get, a plain IVI-C attribute read, a
// per-instance read, and two threads reading on two sessions. Each figure is the median of
// several rounds, in nanoseconds per call, taken from the fastest round (the one least disturbed
// by the machine's other work); the last line is the plain read over the COM get.
// bench/ivic_spread.sh runs this program again and again to show the spread between runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "com/interfaces.h"
#include "ivic/Korvane.h"
#include "ivic/session_bridge.h"
#include "platform/com_ptr.h"
#include "standins/chassis/virtual_chassis.h"

namespace korvane {
namespace {

// Many short rounds: a round of about a millisecond mostly runs within one time slice, so the
// fastest of them shows the call's own cost even on a busy machine.
constexpr int kRounds = 61;
constexpr long kCallsPerRound = 1000;

using Clock = std::chrono::steady_clock;

ViSession OpenSimulated() {
  ViSession vi = VI_NULL;
  Korvane_InitWithOptions(const_cast<char*>("PXI0::0::INSTR"), VI_FALSE, VI_FALSE, "Simulate=true",
                          &vi);
  return vi;
}

// The fastest round's nanoseconds per call; `round` makes kCallsPerRound calls and returns how
// many calls it made in all (two threads make twice as many).
template <class Round>
double FastestNanoseconds(Round&& round) {
  round();  // warms caches and first-use tables
  double fastest = 0;
  for (int i = 0; i < kRounds; ++i) {
    const auto start = Clock::now();
    const long calls = round();
    const std::chrono::duration<double, std::nano> took = Clock::now() - start;
    const double perCall = took.count() / static_cast<double>(calls);
    fastest = i == 0 ? perCall : std::min(fastest, perCall);
  }
  return fastest;
}

double ComGet(ViSession vi) {
  ComPtr<IKorvaneSystem> system;
  ivic::DriverFace(vi, system);
  double uptime = 0;
  return FastestNanoseconds([&] {
    for (long i = 0; i < kCallsPerRound; ++i) system->get_Uptime(&uptime);
    return kCallsPerRound;
  });
}

// A real-valued attribute read through the C face; an empty selector for a plain one.
double AttributeRead(ViSession vi, ViConstString selector, ViAttr attribute) {
  ViReal64 value = 0;
  return FastestNanoseconds([&] {
    for (long i = 0; i < kCallsPerRound; ++i) {
      Korvane_GetAttributeViReal64(vi, selector, attribute, &value);
    }
    return kCallsPerRound;
  });
}

// Wall time per call while two threads each read on a session of their own (half the one-thread
// figure when the two scale perfectly).
double TwoThreads(ViSession first, ViSession second) {
  auto reads = [](ViSession vi) {
    ViInt32 degrees = 0;
    for (long i = 0; i < kCallsPerRound; ++i) {
      Korvane_GetAttributeViInt32(vi, "", KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP,
                                  &degrees);
    }
  };
  return FastestNanoseconds([&] {
    std::thread other(reads, second);
    reads(first);
    other.join();
    return 2 * kCallsPerRound;
  });
}

}  // namespace
}  // namespace korvane

int main() {
  using namespace korvane;
  virtual_chassis::SetRecording(false);
  const ViSession first = OpenSimulated();
  const ViSession second = OpenSimulated();
  if (first == VI_NULL || second == VI_NULL) {
    std::fprintf(stderr, "ivic_figures: no simulated session could be opened\n");
    return 1;
  }
  const double comGet = ComGet(first);
  const double plain = AttributeRead(first, "", KORVANE_ATTR_SYSTEM_UPTIME);
  std::printf("com_get_ns %.1f\n", comGet);
  std::printf("ivic_plain_read_ns %.1f\n", plain);
  std::printf("ivic_per_instance_read_ns %.1f\n",
              AttributeRead(first, "VPLUS_5_0", KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE));
  std::printf("ivic_two_threads_two_sessions_ns %.1f\n", TwoThreads(first, second));
  std::printf("plain_read_over_com_get %.2f\n", plain / comGet);
  Korvane_close(second);
  Korvane_close(first);
  return 0;
}

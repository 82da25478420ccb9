// The C face's figures beside the COM face's, for both builds (Google Benchmark is not built for
// the Windows build): the COM simulated property get, a plain IVI-C attribute read, a
// per-instance read, and two threads reading on two sessions, in nanoseconds per call, each
// from its fastest round (the one least disturbed by the machine's other work). The COM get and
// the plain read take their rounds in turns, so that both meet the same moments of the
// machine's load; the last line is the plain read over the COM get.
// bench/ivic_spread.sh runs this program again and again to show the spread between runs.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <limits>
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

// Nanoseconds per call of one round; `round` makes kCallsPerRound calls and returns how many
// calls it made in all (two threads make twice as many).
template <class Round>
double TimedRound(Round& round) {
  const auto start = Clock::now();
  const long calls = round();
  const std::chrono::duration<double, std::nano> took = Clock::now() - start;
  return took.count() / static_cast<double>(calls);
}

// The fastest round of each measurement, the rounds taken in turns: one round of each per turn.
template <class... Rounds>
std::array<double, sizeof...(Rounds)> FastestInTurns(Rounds... rounds) {
  (rounds(), ...);  // warms caches and first-use tables
  std::array<double, sizeof...(Rounds)> fastest;
  fastest.fill(std::numeric_limits<double>::infinity());
  for (int i = 0; i < kRounds; ++i) {
    size_t index = 0;
    ((fastest[index] = std::min(fastest[index], TimedRound(rounds)), ++index), ...);
  }
  return fastest;
}

// One round of the COM face's simulated property get.
auto ComGet(IKorvaneSystem* system) {
  return [system] {
    double uptime = 0;
    for (long i = 0; i < kCallsPerRound; ++i) system->get_Uptime(&uptime);
    return kCallsPerRound;
  };
}

// One round of a real-valued attribute read through the C face; an empty selector for a plain
// one.
auto AttributeRead(ViSession vi, ViConstString selector, ViAttr attribute) {
  return [=] {
    ViReal64 value = 0;
    for (long i = 0; i < kCallsPerRound; ++i) {
      Korvane_GetAttributeViReal64(vi, selector, attribute, &value);
    }
    return kCallsPerRound;
  };
}

// One round while two threads each read on a session of their own: wall time per call (half the
// one-thread figure when the two scale perfectly).
auto TwoThreads(ViSession first, ViSession second) {
  return [=] {
    auto reads = [](ViSession vi) {
      ViInt32 degrees = 0;
      for (long i = 0; i < kCallsPerRound; ++i) {
        Korvane_GetAttributeViInt32(vi, "", KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP,
                                    &degrees);
      }
    };
    std::thread other(reads, second);
    reads(first);
    other.join();
    return 2 * kCallsPerRound;
  };
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
  ComPtr<IKorvaneSystem> system;
  ivic::DriverFace(first, system);
  const auto [comGet, plain] =
      FastestInTurns(ComGet(system.Get()), AttributeRead(first, "", KORVANE_ATTR_SYSTEM_UPTIME));
  const auto [perInstance] =
      FastestInTurns(AttributeRead(first, "VPLUS_5_0", KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE));
  const auto [twoThreads] = FastestInTurns(TwoThreads(first, second));
  std::printf("com_get_ns %.1f\n", comGet);
  std::printf("ivic_plain_read_ns %.1f\n", plain);
  std::printf("ivic_per_instance_read_ns %.1f\n", perInstance);
  std::printf("ivic_two_threads_two_sessions_ns %.1f\n", twoThreads);
  std::printf("plain_read_over_com_get %.2f\n", plain / comGet);
  system.Reset();
  Korvane_close(second);
  Korvane_close(first);
  return 0;
}

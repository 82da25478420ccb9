// The cost of reading a configuration store file as it grows: a store of n
// sessions, each with a logical name, settings, data components and a
// virtual range (three sections per session). Lookups by name go through
// indexes, so the time grows about as n does, never as n squared.
#include <benchmark/benchmark.h>

#include <string>

#include "standins/ivi_config/store_parser.h"

namespace korvane::ivi_config {
namespace {

std::string StoreOf(int sessions) {
  std::string text = "[Store]\nMissingItem = Succeed\n";
  for (int i = 0; i < sessions; ++i) {
    const std::string name = "Session" + std::to_string(i);
    text += "[Session " + name + "]\nSimulate = true   ; a comment\nDriverSetup = Model=Q7730A\n" +
            "VirtualName Fan = FAN\nVirtualRange Fan = 1-3\nString Note = kept\n" + "[Session " +
            name + " / Configurable Initial Settings]\nInteger Count = 7\n" + "[LogicalName L" +
            std::to_string(i) + "]\nSession = " + name + "\n";
  }
  return text;
}

void BM_ParseStore(benchmark::State& state) {
  const std::string text = StoreOf(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ParseStore(text));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseStore)->RangeMultiplier(4)->Range(625, 40000)->Complexity();

}  // namespace
}  // namespace korvane::ivi_config

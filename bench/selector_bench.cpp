// The cost of parsing a selector: one name, and a small range; and the element
// match alone, by the hand-written scanner and by the regular expression it
// replaced.
#include <benchmark/benchmark.h>

#include "repcap/selector.h"
#include "repcap/selector_element.h"
#include "repcap/selector_pattern.h"

namespace korvane {
namespace {

void BM_ParseOneName(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ParseSelector("FAN1", false));
}
BENCHMARK(BM_ParseOneName);

void BM_ParseSmallRange(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ParseSelector("FAN1-FAN3", true));
}
BENCHMARK(BM_ParseSmallRange);

template <std::optional<SelectorElement> (*Match)(std::string_view)>
void BM_MatchElement(benchmark::State& state) {
  const std::string_view element = state.range(0) ? "FAN1-FAN3" : "FAN1";
  for (auto _ : state) benchmark::DoNotOptimize(Match(element));
}
BENCHMARK(BM_MatchElement<ScanSelectorElement>)->Arg(0)->Arg(1);
BENCHMARK(BM_MatchElement<MatchSelectorPattern>)->Arg(0)->Arg(1);

}  // namespace
}  // namespace korvane

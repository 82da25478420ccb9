#include "standins/chassis/injected_results.h"

namespace korvane::virtual_chassis {

void InjectedResults::Inject(Operation op, int32_t result, int32_t times, Source source) {
  const auto index = static_cast<size_t>(op);
  if (index >= slots_.size()) return;
  slots_[index] = {result, times < 0 ? kAlways : times, source};
}

void InjectedResults::ClearScenario() {
  for (Slot& slot : slots_)
    if (slot.source == Source::kScenario) slot = {};
}

std::optional<int32_t> InjectedResults::Take(Operation op) {
  Slot& slot = slots_.at(static_cast<size_t>(op));
  if (slot.remaining == 0) return std::nullopt;
  if (slot.remaining != kAlways) --slot.remaining;
  return slot.result;
}

}  // namespace korvane::virtual_chassis

// Results that tests have made operations answer instead of the chassis.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "standins/chassis/virtual_chassis.h"

namespace korvane::virtual_chassis {

class InjectedResults {
 public:
  // Who asked for an injection: a test through the control, or the scenario file.
  enum class Source { kControl, kScenario };

  // `times` calls (kAlways: every call until cleared); replaces an earlier injection.
  void Inject(Operation op, int32_t result, int32_t times, Source source = Source::kControl);
  // The result injected for this call of op, used up by it; none when the chassis should answer.
  std::optional<int32_t> Take(Operation op);
  void Clear() { slots_ = {}; }
  // Clears the injections that the scenario made and that no later one replaced.
  void ClearScenario();

 private:
  struct Slot {
    int32_t result = 0;
    int32_t remaining = 0;  // kAlways, or the number of calls still to answer
    Source source = Source::kControl;
  };
  std::array<Slot, static_cast<size_t>(Operation::kCount)> slots_{};
};

}  // namespace korvane::virtual_chassis

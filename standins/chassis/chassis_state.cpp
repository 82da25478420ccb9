#include "standins/chassis/chassis_state.h"

#include "standins/chassis/scenario.h"

namespace korvane::virtual_chassis {

void ChassisState::Reset() {
  model = ChassisModel{};
  record = CallRecord{};
  injected.Clear();
  ApplyScenarioFromEnvironment(*this);
}

ChassisState& TheChassis() {
  static ChassisState* const state = [] {
    auto* chassis = new ChassisState;
    ApplyScenarioFromEnvironment(*chassis);
    return chassis;
  }();
  return *state;
}

}  // namespace korvane::virtual_chassis

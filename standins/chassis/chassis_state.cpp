#include "standins/chassis/chassis_state.h"

namespace korvane::virtual_chassis {

void ChassisState::Reset() {
  model = ChassisModel{};
  record = CallRecord{};
  injected.Clear();
}

ChassisState& TheChassis() {
  static ChassisState* const state = new ChassisState;
  return *state;
}

}  // namespace korvane::virtual_chassis

#include "standins/chassis/chassis_state.h"

#include "standins/chassis/scenario.h"

namespace korvane::virtual_chassis {

void ChassisState::Reset() {
  model = ChassisModel{};
  record = CallRecord{};
  injected.Clear();
  hooks = {};
  ApplyScenarioFromEnvironment(*this);
}

void ChassisState::RunHook(Operation op) {
  Hook hook;
  {
    std::lock_guard lock(mutex);
    hook = hooks[static_cast<size_t>(op)];
  }
  if (hook.function != nullptr) hook.function(hook.context);
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

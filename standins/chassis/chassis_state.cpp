#include "standins/chassis/chassis_state.h"

#include "standins/chassis/state_file.h"
#include "standins/chassis/virtual_chassis_switch.h"

namespace korvane::virtual_chassis {

void ChassisState::PowerOn() {
  served = ServedResources::FromEnvironment();
  scenario_file_ = ScenarioFile(served.scenario);
  PowerOnIntoScenario();
}

void ChassisState::FollowScenario() {
  if (scenario_file_.Changed()) PowerOnIntoScenario();
}

void ChassisState::PowerOnIntoScenario() {
  injected.ClearScenario();  // a test's own injections stay
  model = ChassisModel{};
  scenario_error = scenario_file_.Apply(*this);
  power_on_state_ = model.PersistentState();
  // What each resource keeps is taken over again at its next operation.
  synced_resource_.clear();
  synced_text_.clear();
}

void ChassisState::Reset() {
  for (const auto& resource : served.resources) StateFile(resource).Remove();
  for (const auto& [session, resource] : session_resources) StateFile(resource).Remove();
  open_failure.clear();
  record = CallRecord{};
  record.SetEnabled(true);
  injected.Clear();
  hooks = {};
  PowerOn();  // after the injections are cleared: a scenario may inject
  for (const auto& resource : served.resources) StateFile(resource).Remove();
}

int32_t ChassisState::Open(const char* resource, uint32_t session) {
  if (resource == nullptr || *resource == '\0') return kStatusNoChassis;
  if (!scenario_error.empty()) return kStatusScenarioError;
  if (!served.Serves(resource)) {
    open_failure = served.NoChassisText(resource);
    return kStatusNoChassis;
  }
  session_resources[session] = resource;
  return Korvane_Fundamental_StatusSuccess;
}

StatusDescription ChassisState::Describe(int32_t status) const {
  if (status == kStatusScenarioError && !scenario_error.empty())
    return {Korvane_Fundamental_StatusTypeChassis, scenario_error};
  if (status == kStatusNoChassis && !open_failure.empty())
    return {Korvane_Fundamental_StatusTypeVisa, open_failure};
  return model.Statuses().Describe(status);
}

void ChassisState::LoadKeptState(uint32_t session) {
  const auto found = session_resources.find(session);
  if (found == session_resources.end()) return;
  const std::string& resource = found->second;
  const std::string text = StateFile(resource).Read();
  if (resource == synced_resource_) {
    // Another process's change, if there is one; else the model is up to date.
    if (text != synced_text_ && !text.empty() && model.RestorePersistentState(text))
      synced_text_ = text;
    return;
  }
  const bool first_use = synced_resource_.empty();
  synced_resource_ = resource;
  if (!text.empty() && model.RestorePersistentState(text)) {
    synced_text_ = text;
    return;
  }
  // Nothing kept for this resource: its chassis is as it powered on (on first
  // use, the model is that chassis, with what the test control changed since).
  if (!first_use) model.RestorePersistentState(power_on_state_);
  synced_text_ = power_on_state_;
}

void ChassisState::SaveKeptState(uint32_t session) {
  const auto found = session_resources.find(session);
  if (found == session_resources.end() || found->second != synced_resource_) return;
  std::string text = model.PersistentState();
  if (text == synced_text_) return;
  if (StateFile(synced_resource_).Write(text)) synced_text_ = std::move(text);
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
    chassis->PowerOn();
    return chassis;
  }();
  return *state;
}

}  // namespace korvane::virtual_chassis

// The test control of the virtual chassis (virtual_chassis.h). Every change
// is made under the chassis lock and is seen by the alarms at once. Positions,
// lines and rails outside the chassis are ignored.
#include "standins/chassis/virtual_chassis.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "standins/chassis/chassis_state.h"
#include "standins/chassis/state_file.h"

namespace korvane::virtual_chassis {
namespace {

template <typename Change>
void Control(Change&& change) {
  ChassisState& chassis = TheChassis();
  std::lock_guard lock(chassis.mutex);
  change(chassis);
  chassis.model.Sample();
}

template <typename Read>
auto Query(Read&& read) {
  ChassisState& chassis = TheChassis();
  std::lock_guard lock(chassis.mutex);
  return read(chassis);
}

const char* OrEmpty(const char* text) {
  return text != nullptr ? text : "";
}

uint32_t CopyOut(const std::string& text, char* buffer, uint32_t size) {
  if (buffer != nullptr && size != 0) {
    const size_t length = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
  }
  return static_cast<uint32_t>(text.size());
}

}  // namespace

void Reset() {
  Control([](ChassisState& chassis) { chassis.Reset(); });
}

uint32_t KeptStatePath(const char* resource, char* buffer, uint32_t size) {
  return CopyOut(StateFile(OrEmpty(resource)).Path().string(), buffer, size);
}

uint32_t InstanceCount() {
  return Query([](ChassisState& chassis) { return chassis.instances; });
}

uint32_t OpenSessionCount() {
  return Query([](ChassisState& chassis) { return chassis.open_sessions; });
}

void InjectResult(Operation op, int32_t result, int32_t times) {
  Control([&](ChassisState& chassis) { chassis.injected.Inject(op, result, times); });
}

void SetCallHook(Operation op, CallHook hook, void* context) {
  if (op < Operation::kConstruct || op >= Operation::kCount) return;
  Control([&](ChassisState& chassis) { chassis.hooks[static_cast<size_t>(op)] = {hook, context}; });
}

void ClearInjectedResults() {
  Control([](ChassisState& chassis) { chassis.injected.Clear(); });
}

uint32_t CallCount() {
  return Query([](ChassisState& chassis) { return static_cast<uint32_t>(chassis.record.Count()); });
}

uint32_t CallText(uint32_t i, char* buffer, uint32_t size) {
  return Query([&](ChassisState& chassis) -> uint32_t {
    const std::string* call = chassis.record.At(i);
    return call != nullptr ? CopyOut(*call, buffer, size) : 0;
  });
}

void ClearCalls() {
  Control([](ChassisState& chassis) { chassis.record.Clear(); });
}

void SetRecording(bool on) {
  Control([&](ChassisState& chassis) { chassis.record.SetEnabled(on); });
}

void SetStatusDescription(int32_t status, Korvane_Fundamental_StatusCodeType type,
                          const char* description) {
  Control([&](ChassisState& chassis) {
    chassis.model.Statuses().Set(status, type, OrEmpty(description));
  });
}

void SetText(Text which, const char* value) {
  if (static_cast<uint32_t>(which) > static_cast<uint32_t>(Text::kPCIeLinkTopology)) return;
  Control([&](ChassisState& chassis) { chassis.model.SetText(which, OrEmpty(value)); });
}

void SetSelfTestCodes(const int32_t* codes, int32_t count) {
  Control([&](ChassisState& chassis) { chassis.model.SelfTestTable().SetCodes(codes, count); });
}

void SetSelfTestCodeText(int32_t code, const char* text, int32_t status) {
  Control([&](ChassisState& chassis) {
    chassis.model.SelfTestTable().SetMapping(code, OrEmpty(text), status);
  });
}

void ForceTriggerRouting(uint32_t line, int32_t routing) {
  if (line >= kTriggerLines) return;
  Control([&](ChassisState& chassis) { chassis.model.ForceTriggerRouting(line, routing); });
}

void SetStaticDefaultRouting(uint32_t line, int32_t routing) {
  if (line >= kTriggerLines) return;
  Control([&](ChassisState& chassis) { chassis.model.SetStaticDefaultRouting(line, routing); });
}

void SetReferenceClockSource(int32_t source) {
  Control([&](ChassisState& chassis) { chassis.model.SetReferenceClockSource(source); });
}

void SetFanMinIndex(uint32_t base) {
  Control([&](ChassisState& chassis) { chassis.model.SetFanMinIndex(base); });
}

void SetTemperatureSensorMinIndex(uint32_t base) {
  Control([&](ChassisState& chassis) { chassis.model.SetSensorMinIndex(base); });
}

void SetFanPresent(uint32_t position, bool present) {
  if (position >= kFanCount) return;
  Control([&](ChassisState& chassis) { chassis.model.SetFanPresent(position, present); });
}

void SetSensorPresent(uint32_t position, bool present) {
  if (position >= kSensorCount) return;
  Control([&](ChassisState& chassis) { chassis.model.SetSensorPresent(position, present); });
}

void SetFanAutoControl(bool on) {
  Control([&](ChassisState& chassis) { chassis.model.SetFanAutoControl(on); });
}

void SetTemperature(uint32_t position, double degrees) {
  if (position >= kSensorCount) return;
  Control([&](ChassisState& chassis) { chassis.model.Live().PinTemperature(position, degrees); });
}

void SetFanSpeed(uint32_t position, uint32_t rpm) {
  if (position >= kFanCount) return;
  Control([&](ChassisState& chassis) { chassis.model.Live().PinFanSpeed(position, rpm); });
}

void SetRailVoltage(Korvane_Fundamental_VoltageRail rail, double volts) {
  if (rail < 0 || static_cast<uint32_t>(rail) >= kRails) return;
  Control([&](ChassisState& chassis) { chassis.model.Live().PinRailVoltage(rail, volts); });
}

void SetUptime(uint32_t seconds) {
  Control([&](ChassisState& chassis) { chassis.model.Live().SetUptime(seconds); });
}

void SetClockFrozen(bool frozen) {
  Control([&](ChassisState& chassis) { chassis.model.Live().SetClockFrozen(frozen); });
}

}  // namespace korvane::virtual_chassis

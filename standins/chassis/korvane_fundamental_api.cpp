// Korvane_Fundamental_Api of the stand-in library: every operation is
// recorded, answers an injected result when a test asked for one, and is
// otherwise answered by the process's virtual chassis.
#include "chassis/korvane_fundamental_api.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "standins/chassis/chassis_state.h"

namespace {

using korvane::virtual_chassis::BufferArg;
using korvane::virtual_chassis::ChassisModel;
using korvane::virtual_chassis::ChassisState;
using korvane::virtual_chassis::kStatusScenarioError;
using korvane::virtual_chassis::Operation;
using korvane::virtual_chassis::StatusArg;
using korvane::virtual_chassis::Text;
using korvane::virtual_chassis::TheChassis;

constexpr int32_t kSuccess = Korvane_Fundamental_StatusSuccess;

// Runs one operation: its hook first, then under the chassis lock records
// the call, follows a changed scenario file, answers an injected result if
// there is one, and otherwise takes over the session's kept state, samples
// the alarms, lets `body` answer from the chassis and keeps what it changed.
template <typename Result, typename Body, typename... Args>
Result RunIn(uint32_t session, Operation op, Body&& body, const Args&... args) {
  ChassisState& chassis = TheChassis();
  chassis.RunHook(op);
  std::lock_guard lock(chassis.mutex);
  chassis.Record(op, args...);
  chassis.FollowScenario();
  if (const auto injected = chassis.injected.Take(op)) return static_cast<Result>(*injected);
  chassis.LoadKeptState(session);
  chassis.model.Sample();
  const Result result = body(chassis);
  chassis.SaveKeptState(session);
  return result;
}

// Runs an operation that needs no session.
template <typename Result, typename Body, typename... Args>
Result Run(Operation op, Body&& body, const Args&... args) {
  return RunIn<Result>(0, op, std::forward<Body>(body), args...);
}

// Runs a hardware operation, which needs an open session. While the scenario
// file cannot be used (it was changed into one with an error), the session's
// operations answer what ioOpen answers then, so that its reason is reported.
template <typename Body, typename... Args>
int32_t RunOnSession(uint32_t session, Operation op, Body&& body, const Args&... args) {
  return RunIn<int32_t>(
      session, op,
      [&](ChassisState& chassis) -> int32_t {
        if (session == 0) return Korvane_Fundamental_StatusSessionNotOpen;
        if (!chassis.scenario_error.empty()) return kStatusScenarioError;
        return body(chassis.model);
      },
      args...);
}

int32_t CopyText(const std::string& text, char* buffer, uint32_t size) {
  if (buffer == nullptr || size == 0) return Korvane_Fundamental_StatusInvalidValue;
  const size_t length = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return kSuccess;
}

}  // namespace

Korvane_Fundamental_Api::Korvane_Fundamental_Api() : session_(0), instance_(0) {
  ChassisState& chassis = TheChassis();
  std::lock_guard lock(chassis.mutex);
  chassis.Record(Operation::kConstruct);
  chassis.FollowScenario();
  if (const auto injected = chassis.injected.Take(Operation::kConstruct)) {
    throw Korvane_Fundamental_ConstructionError{*injected};
  }
  instance_ = chassis.next_instance++;
  ++chassis.instances;
}

Korvane_Fundamental_Api::~Korvane_Fundamental_Api() {
  ChassisState& chassis = TheChassis();
  std::lock_guard lock(chassis.mutex);
  chassis.Record(Operation::kDestruct);
  chassis.injected.Take(Operation::kDestruct);  // a destructor cannot fail: used up, ignored
  if (session_ != 0) {
    --chassis.open_sessions;
    chassis.Close(session_);
  }
  --chassis.instances;
}

int32_t Korvane_Fundamental_Api::getCtorFailed() {
  return Run<int32_t>(Operation::kGetCtorFailed, [](ChassisState&) { return 0; });
}

int32_t Korvane_Fundamental_Api::ioOpen(const char* resource, uint32_t* sessionOut) {
  return Run<int32_t>(
      Operation::kIoOpen,
      [&](ChassisState& chassis) -> int32_t {
        const uint32_t session = session_ != 0 ? session_ : chassis.next_session;
        if (const int32_t status = chassis.Open(resource, session); status != kSuccess) {
          return status;
        }
        if (session_ == 0) {
          session_ = chassis.next_session++;
          ++chassis.open_sessions;
        }
        if (sessionOut != nullptr) *sessionOut = session_;
        return kSuccess;
      },
      resource, sessionOut);
}

uint16_t Korvane_Fundamental_Api::isInitialized() {
  return Run<uint16_t>(Operation::kIsInitialized,
                       [&](ChassisState&) -> uint16_t { return session_ != 0 ? 1 : 0; });
}

int32_t Korvane_Fundamental_Api::ioClose() {
  return Run<int32_t>(Operation::kIoClose, [&](ChassisState& chassis) -> int32_t {
    if (session_ == 0) return Korvane_Fundamental_StatusSessionNotOpen;
    chassis.Close(session_);
    session_ = 0;
    --chassis.open_sessions;
    return kSuccess;
  });
}

int32_t Korvane_Fundamental_Api::getModelNumber(char* text, uint32_t size) {
  return RunOnSession(
      session_, Operation::kGetModelNumber,
      [&](ChassisModel& model) { return CopyText(model.GetText(Text::kModel), text, size); },
      BufferArg{text, size});
}

int32_t Korvane_Fundamental_Api::getRevisionNumber(Korvane_Fundamental_RevisionNumbers which,
                                                   char* text, uint32_t size) {
  return RunOnSession(
      session_, Operation::kGetRevisionNumber,
      [&](ChassisModel& model) {
        if (which != Korvane_Fundamental_RevisionFirmware) {
          return static_cast<int32_t>(Korvane_Fundamental_StatusInvalidValue);
        }
        return CopyText(model.GetText(Text::kFirmwareRevision), text, size);
      },
      which, BufferArg{text, size});
}

int32_t Korvane_Fundamental_Api::getSerialNumber(char* text, uint32_t size) {
  return RunOnSession(
      session_, Operation::kGetSerialNumber,
      [&](ChassisModel& model) { return CopyText(model.GetText(Text::kSerialNumber), text, size); },
      BufferArg{text, size});
}

int32_t Korvane_Fundamental_Api::reset(int32_t mode) {
  return RunOnSession(
      session_, Operation::kReset, [&](ChassisModel& model) { return model.Reset(mode); }, mode);
}

int32_t Korvane_Fundamental_Api::selfTest(int32_t* count, int32_t* codes) {
  return RunOnSession(
      session_, Operation::kSelfTest,
      [&](ChassisModel& model) { return model.SelfTest(count, codes); }, count, codes);
}

int32_t Korvane_Fundamental_Api::mapSelfTestCodeToString(int32_t code, char* text, uint32_t size) {
  return Run<int32_t>(
      Operation::kMapSelfTestCodeToString,
      [&](ChassisState& chassis) {
        if (text == nullptr || size == 0) {
          return static_cast<int32_t>(Korvane_Fundamental_StatusInvalidValue);
        }
        std::string mapped;
        const int32_t status = chassis.model.SelfTestTable().Map(code, &mapped);
        return status != kSuccess ? status : CopyText(mapped, text, size);
      },
      code, BufferArg{text, size});
}

Korvane_Fundamental_StatusCodeType Korvane_Fundamental_Api::getStatusDesc(int32_t status,
                                                                          char* text,
                                                                          uint32_t size) {
  return Run<Korvane_Fundamental_StatusCodeType>(
      Operation::kGetStatusDesc,
      [&](ChassisState& chassis) {
        const auto description = chassis.Describe(status);
        if (text != nullptr && size != 0) CopyText(description.text, text, size);
        return description.type;
      },
      StatusArg{status}, BufferArg{text, size});
}

int32_t Korvane_Fundamental_Api::getPCIeLinkTopology(char* text, uint32_t size) {
  return RunOnSession(
      session_, Operation::kGetPCIeLinkTopology,
      [&](ChassisModel& model) {
        return CopyText(model.GetText(Text::kPCIeLinkTopology), text, size);
      },
      BufferArg{text, size});
}

int32_t Korvane_Fundamental_Api::getTimeSinceBoot(uint32_t* seconds) {
  return RunOnSession(
      session_, Operation::kGetTimeSinceBoot,
      [&](ChassisModel& model) { return model.GetUptime(seconds); }, seconds);
}

int32_t Korvane_Fundamental_Api::getChassisThermostatSetpoint(uint32_t* degrees, int32_t setting) {
  return RunOnSession(
      session_, Operation::kGetChassisThermostatSetpoint,
      [&](ChassisModel& model) { return model.GetThermostat(degrees, setting); }, degrees, setting);
}

int32_t Korvane_Fundamental_Api::setChassisThermostatSetpoint(uint32_t degrees) {
  return RunOnSession(
      session_, Operation::kSetChassisThermostatSetpoint,
      [&](ChassisModel& model) { return model.SetThermostat(degrees); }, degrees);
}

int32_t Korvane_Fundamental_Api::getFanAutoControlEnabled(uint16_t* enabled) {
  return RunOnSession(
      session_, Operation::kGetFanAutoControlEnabled,
      [&](ChassisModel& model) { return model.GetFanAutoControl(enabled); }, enabled);
}

int32_t Korvane_Fundamental_Api::getOverTempAlarmThreshold(uint32_t* degrees, int32_t setting) {
  return RunOnSession(
      session_, Operation::kGetOverTempAlarmThreshold,
      [&](ChassisModel& model) { return model.GetOverTemp(degrees, setting); }, degrees, setting);
}

int32_t Korvane_Fundamental_Api::setOverTempAlarmThreshold(uint32_t degrees) {
  return RunOnSession(
      session_, Operation::kSetOverTempAlarmThreshold,
      [&](ChassisModel& model) { return model.SetOverTemp(degrees); }, degrees);
}

int32_t Korvane_Fundamental_Api::getFanUnderspeedAlarmThreshold(uint32_t* rpm, int32_t setting) {
  return RunOnSession(
      session_, Operation::kGetFanUnderspeedAlarmThreshold,
      [&](ChassisModel& model) { return model.GetUnderspeed(rpm, setting); }, rpm, setting);
}

int32_t Korvane_Fundamental_Api::setFanUnderspeedAlarmThreshold(uint32_t rpm) {
  return RunOnSession(
      session_, Operation::kSetFanUnderspeedAlarmThreshold,
      [&](ChassisModel& model) { return model.SetUnderspeed(rpm); }, rpm);
}

int32_t Korvane_Fundamental_Api::getChassisReferenceClockSource(
    Korvane_Fundamental_RefClockSource* source) {
  return RunOnSession(
      session_, Operation::kGetChassisReferenceClockSource,
      [&](ChassisModel& model) { return model.GetReferenceClock(source); }, source);
}

int32_t Korvane_Fundamental_Api::getTriggerRouting(
    uint32_t line, Korvane_Fundamental_ValidTriggerRoutings* routing) {
  return RunOnSession(
      session_, Operation::kGetTriggerRouting,
      [&](ChassisModel& model) { return model.GetTriggerRouting(line, routing); }, line, routing);
}

int32_t Korvane_Fundamental_Api::setTriggerRouting(
    uint32_t line, Korvane_Fundamental_ValidTriggerRoutings routing) {
  return RunOnSession(
      session_, Operation::kSetTriggerRouting,
      [&](ChassisModel& model) { return model.SetTriggerRouting(line, routing); }, line, routing);
}

int32_t Korvane_Fundamental_Api::setTriggerRoutingAllDisconnected() {
  return RunOnSession(session_, Operation::kSetTriggerRoutingAllDisconnected,
                      [](ChassisModel& model) { return model.DisconnectAllTriggers(); });
}

int32_t Korvane_Fundamental_Api::setTriggerRoutingToStaticDefaults() {
  return RunOnSession(session_, Operation::kSetTriggerRoutingToStaticDefaults,
                      [](ChassisModel& model) { return model.RestoreDefaultTriggers(); });
}

int32_t Korvane_Fundamental_Api::clearAlarmCondition(Korvane_Fundamental_AlarmSource alarm) {
  return RunOnSession(
      session_, Operation::kClearAlarmCondition,
      [&](ChassisModel& model) { return model.ClearAlarm(alarm); }, alarm);
}

int32_t Korvane_Fundamental_Api::getAlarmCondition(Korvane_Fundamental_AlarmSource alarm,
                                                   uint16_t* occurred) {
  return RunOnSession(
      session_, Operation::kGetAlarmCondition,
      [&](ChassisModel& model) { return model.GetAlarmCondition(alarm, occurred); }, alarm,
      occurred);
}

int32_t Korvane_Fundamental_Api::getAlarmEnable(Korvane_Fundamental_AlarmSource alarm,
                                                uint16_t* enabled) {
  return RunOnSession(
      session_, Operation::kGetAlarmEnable,
      [&](ChassisModel& model) { return model.GetAlarmEnable(alarm, enabled); }, alarm, enabled);
}

int32_t Korvane_Fundamental_Api::setAlarmEnable(Korvane_Fundamental_AlarmSource alarm,
                                                uint16_t enable) {
  return RunOnSession(
      session_, Operation::kSetAlarmEnable,
      [&](ChassisModel& model) { return model.SetAlarmEnable(alarm, enable); }, alarm, enable);
}

uint32_t Korvane_Fundamental_Api::getFanMinIndex() {
  return Run<uint32_t>(Operation::kGetFanMinIndex,
                       [](ChassisState& chassis) { return chassis.model.FanMinIndex(); });
}

uint32_t Korvane_Fundamental_Api::getTemperatureSensorMinIndex() {
  return Run<uint32_t>(Operation::kGetTemperatureSensorMinIndex,
                       [](ChassisState& chassis) { return chassis.model.SensorMinIndex(); });
}

int32_t Korvane_Fundamental_Api::getFanSpeed(uint32_t index, uint32_t* rpm) {
  return RunOnSession(
      session_, Operation::kGetFanSpeed,
      [&](ChassisModel& model) { return model.GetFanSpeed(index, rpm); }, index, rpm);
}

int32_t Korvane_Fundamental_Api::getTemperatureSensorValue(uint32_t index, double* degrees) {
  return RunOnSession(
      session_, Operation::kGetTemperatureSensorValue,
      [&](ChassisModel& model) { return model.GetTemperature(index, degrees); }, index, degrees);
}

int32_t Korvane_Fundamental_Api::getSupplyRailVoltage(Korvane_Fundamental_VoltageRail rail,
                                                      double* volts) {
  return RunOnSession(
      session_, Operation::kGetSupplyRailVoltage,
      [&](ChassisModel& model) { return model.GetRailVoltage(rail, volts); }, rail, volts);
}

int32_t Korvane_Fundamental_Api::getVoltageHiLowAlarmThreshold(Korvane_Fundamental_VoltageRail rail,
                                                               int32_t side, double* volts,
                                                               int32_t setting) {
  return RunOnSession(
      session_, Operation::kGetVoltageHiLowAlarmThreshold,
      [&](ChassisModel& model) { return model.GetRailThreshold(rail, side, volts, setting); }, rail,
      side, volts, setting);
}

int32_t Korvane_Fundamental_Api::setVoltageHiLowAlarmThreshold(Korvane_Fundamental_VoltageRail rail,
                                                               int32_t side, double volts) {
  return RunOnSession(
      session_, Operation::kSetVoltageHiLowAlarmThreshold,
      [&](ChassisModel& model) { return model.SetRailThreshold(rail, side, volts); }, rail, side,
      volts);
}

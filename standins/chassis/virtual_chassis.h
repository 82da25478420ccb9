// Control of the virtual chassis behind the stand-in chassis access library.
//
// The stand-in KorvaneAFundamental_64 connects every Korvane_Fundamental_Api
// instance of the process to one virtual Q7730A chassis, which answers only
// the resources it is told to serve (virtual_chassis_switch.h) and keeps its
// settings, alarms and trigger routing per resource between processes
// (state_file.h), as a real chassis keeps them while powered. Tests steer that
// chassis through the functions below: restore its defaults, make any
// operation answer any result, set the texts and live values it reports, and
// read the record of every call made on any instance. With sessions on
// several resources, a change made here applies to the chassis of the
// resource that the last operation used.
//
// The functions are exported from the library itself, so they take and return
// plain data only; the few inline helpers at the end build standard-library
// values on the caller's side.
//
// Call record. A process records nothing until a test asks (Reset or
// SetRecording); from then on each call on a Korvane_Fundamental_Api instance
// appends one text, in call order, also when the call fails or its result was
// injected, the oldest dropped beyond kCallRecordLimit calls:
// the operation name, then its arguments in parentheses, separated by ", ".
// Integers and enumerations are written in decimal, the status argument of
// getStatusDesc as "0x" and eight lower-case hex digits, doubles in their
// shortest exact form (5.25, -12.6), input texts in double quotes, and out
// pointers and text buffers as "&" (or "null" when null), followed for a
// buffer by its size. Examples:
//   Korvane_Fundamental_Api()            ~Korvane_Fundamental_Api()
//   getCtorFailed()                      ioOpen("PXI0::0::INSTR", null)
//   getRevisionNumber(9, &, 256)         getOverTempAlarmThreshold(&, 0)
//   getStatusDesc(0xbffa0001, &, 256)    setVoltageHiLowAlarmThreshold(2, 0, -12.6)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chassis/korvane_fundamental_api.h"
#include "chassis/korvane_fundamental_export.h"
#include "standins/chassis/virtual_chassis_switch.h"

namespace korvane::virtual_chassis {

// Every operation of Korvane_Fundamental_Api, including its construction and destruction.
enum class Operation : int32_t {
  kConstruct,
  kDestruct,
  kGetCtorFailed,
  kIoOpen,
  kIsInitialized,
  kIoClose,
  kGetModelNumber,
  kGetRevisionNumber,
  kGetSerialNumber,
  kReset,
  kSelfTest,
  kMapSelfTestCodeToString,
  kGetStatusDesc,
  kGetPCIeLinkTopology,
  kGetTimeSinceBoot,
  kGetChassisThermostatSetpoint,
  kSetChassisThermostatSetpoint,
  kGetFanAutoControlEnabled,
  kGetOverTempAlarmThreshold,
  kSetOverTempAlarmThreshold,
  kGetFanUnderspeedAlarmThreshold,
  kSetFanUnderspeedAlarmThreshold,
  kGetChassisReferenceClockSource,
  kGetTriggerRouting,
  kSetTriggerRouting,
  kSetTriggerRoutingAllDisconnected,
  kSetTriggerRoutingToStaticDefaults,
  kClearAlarmCondition,
  kGetAlarmCondition,
  kGetAlarmEnable,
  kSetAlarmEnable,
  kGetFanMinIndex,
  kGetTemperatureSensorMinIndex,
  kGetFanSpeed,
  kGetTemperatureSensorValue,
  kGetSupplyRailVoltage,
  kGetVoltageHiLowAlarmThreshold,
  kSetVoltageHiLowAlarmThreshold,
  kCount  // number of operations, not an operation
};

// The name under which an operation appears in the call record ("getFanSpeed",
// "Korvane_Fundamental_Api", "~Korvane_Fundamental_Api"); "" for kCount and invalid values.
KORVANE_FUNDAMENTAL_EXPORT const char* OperationName(Operation op);
// Finds the operation of a record name; false when none has that name.
KORVANE_FUNDAMENTAL_EXPORT bool FindOperation(const char* name, Operation* op);

// --- The whole chassis -------------------------------------------------------

// Restores the virtual chassis as it powers on, reading the switch and the
// scenario from the environment again: default settings, texts, live values,
// indexes, status descriptions and self-test codes; nothing kept for its
// resources; no injected results; an empty call record with recording on; a
// running clock. Instances that exist keep their sessions.
KORVANE_FUNDAMENTAL_EXPORT void Reset();
// Copies the path of the file in which the chassis keeps the state of a
// resource between processes into (buffer, size) like CallText, and returns
// its full length.
KORVANE_FUNDAMENTAL_EXPORT uint32_t KeptStatePath(const char* resource, char* buffer,
                                                  uint32_t size);
// Number of Korvane_Fundamental_Api instances alive, and how many of them have an open session.
KORVANE_FUNDAMENTAL_EXPORT uint32_t InstanceCount();
KORVANE_FUNDAMENTAL_EXPORT uint32_t OpenSessionCount();

// --- Injected results --------------------------------------------------------

// times value that keeps an injected result until it is cleared.
inline constexpr int32_t kAlways = -1;

// Makes the next `times` calls of op (all of them with kAlways) answer `result`
// and do nothing else: out values stay untouched and the chassis does not
// change. The call is still recorded. For the operations that return no
// status, `result` is what they return: getCtorFailed and isInitialized (cast
// to uint16_t), getFanMinIndex and getTemperatureSensorMinIndex (cast to
// uint32_t), getStatusDesc (the class). The constructor throws
// Korvane_Fundamental_ConstructionError{result}; the destructor ignores it.
// A new injection for an operation replaces the previous one.
KORVANE_FUNDAMENTAL_EXPORT void InjectResult(Operation op, int32_t result, int32_t times = 1);
// Removes every injected result.
KORVANE_FUNDAMENTAL_EXPORT void ClearInjectedResults();

// A function that an operation (other than construction and destruction) calls first, on the
// caller's thread and outside the chassis's lock: it may block until released, or throw (such as
// std::bad_alloc), and the throw leaves the operation unrecorded and unrun.
using CallHook = void (*)(void* context);
// Sets op's hook (null removes it); Reset removes every hook.
KORVANE_FUNDAMENTAL_EXPORT void SetCallHook(Operation op, CallHook hook, void* context);

// --- Call record -------------------------------------------------------------

inline constexpr uint32_t kCallRecordLimit = 65536;

// Number of recorded calls.
KORVANE_FUNDAMENTAL_EXPORT uint32_t CallCount();
// Copies the text of call i (from 0) into (buffer, size), truncated and
// NUL-terminated, and returns its full length; 0 when there is no call i.
// With a null buffer or size 0 it only returns the length.
KORVANE_FUNDAMENTAL_EXPORT uint32_t CallText(uint32_t i, char* buffer, uint32_t size);
// Empties the call record.
KORVANE_FUNDAMENTAL_EXPORT void ClearCalls();
// Turns recording off (for long runs such as benchmarks) or on again.
KORVANE_FUNDAMENTAL_EXPORT void SetRecording(bool on);

// --- Statuses, texts and self test -------------------------------------------

// Makes getStatusDesc answer `type` and `description` for status.
KORVANE_FUNDAMENTAL_EXPORT void SetStatusDescription(int32_t status,
                                                     Korvane_Fundamental_StatusCodeType type,
                                                     const char* description);

enum class Text : int32_t { kModel, kFirmwareRevision, kSerialNumber, kPCIeLinkTopology };
// Sets a text that the chassis reports; the firmware revision is reported with
// kFirmwareSuffix after it.
KORVANE_FUNDAMENTAL_EXPORT void SetText(Text which, const char* value);

// Sets the codes the next self tests report (count from 0 to
// Korvane_Fundamental_MaxSelfTestCodes; more are dropped). No codes: it passes.
// A reported code without a text is given one that names its number.
KORVANE_FUNDAMENTAL_EXPORT void SetSelfTestCodes(const int32_t* codes, int32_t count);
// Makes mapSelfTestCodeToString answer `status` and, when status is 0, `text` for code.
KORVANE_FUNDAMENTAL_EXPORT void SetSelfTestCodeText(int32_t code, const char* text,
                                                    int32_t status = 0);

// --- Trigger bus and reference clock -----------------------------------------

// Sets the raw routing value of a line (0..7), also values outside the table.
KORVANE_FUNDAMENTAL_EXPORT void ForceTriggerRouting(uint32_t line, int32_t routing);
// Sets the routing of a line (0..7) that setTriggerRoutingToStaticDefaults restores.
KORVANE_FUNDAMENTAL_EXPORT void SetStaticDefaultRouting(uint32_t line, int32_t routing);
// Sets the raw reference clock source, also values outside 1..3. A change
// latches the reference clock alarm while it is enabled.
KORVANE_FUNDAMENTAL_EXPORT void SetReferenceClockSource(int32_t source);

// --- Fans and sensors --------------------------------------------------------

// The chassis has 3 fans and 8 temperature sensors. A fan or sensor has a
// position from 0; its chassis index is its position plus the chassis's base
// index, 1 for fans and 0 for sensors unless set here. Here and below, a
// position, trigger line or rail outside the chassis is ignored.
inline constexpr uint32_t kFanCount = 3;
inline constexpr uint32_t kSensorCount = 8;
KORVANE_FUNDAMENTAL_EXPORT void SetFanMinIndex(uint32_t base);
KORVANE_FUNDAMENTAL_EXPORT void SetTemperatureSensorMinIndex(uint32_t base);
// Removes a fan or sensor from the chassis (present false) or puts it back.
KORVANE_FUNDAMENTAL_EXPORT void SetFanPresent(uint32_t position, bool present);
KORVANE_FUNDAMENTAL_EXPORT void SetSensorPresent(uint32_t position, bool present);
// Sets what getFanAutoControlEnabled reports; with auto control off the fans run at full speed.
KORVANE_FUNDAMENTAL_EXPORT void SetFanAutoControl(bool on);

// --- Live values -------------------------------------------------------------
// A set value is reported exactly as given until Reset; the others follow the
// chassis's clock. Each change is seen at once by the alarms.

KORVANE_FUNDAMENTAL_EXPORT void SetTemperature(uint32_t position, double degrees);
KORVANE_FUNDAMENTAL_EXPORT void SetFanSpeed(uint32_t position, uint32_t rpm);
KORVANE_FUNDAMENTAL_EXPORT void SetRailVoltage(Korvane_Fundamental_VoltageRail rail, double volts);
// Moves the boot time so that the uptime is `seconds` now; it goes on counting.
KORVANE_FUNDAMENTAL_EXPORT void SetUptime(uint32_t seconds);
// Stops (true) or restarts (false) the chassis's clock: uptime and drift.
KORVANE_FUNDAMENTAL_EXPORT void SetClockFrozen(bool frozen);

// --- Caller-side helpers -----------------------------------------------------

// Injects a result by operation name; false (and nothing injected) for an unknown name.
inline bool InjectResult(const char* name, int32_t result, int32_t times = 1) {
  Operation op{};
  if (!FindOperation(name, &op)) return false;
  InjectResult(op, result, times);
  return true;
}

// The whole call record.
inline std::vector<std::string> Calls() {
  std::vector<std::string> calls;
  const uint32_t count = CallCount();
  calls.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    std::string text(CallText(i, nullptr, 0), '\0');
    CallText(i, text.data(), static_cast<uint32_t>(text.size() + 1));
    calls.push_back(std::move(text));
  }
  return calls;
}

// Resets the virtual chassis when created and again when it goes out of
// scope, so that a test neither sees nor leaves changes. Copying would reset
// twice at unrelated moments, so it is not copyable.
class ScopedReset {
 public:
  ScopedReset() { Reset(); }
  ~ScopedReset() { Reset(); }
  ScopedReset(const ScopedReset&) = delete;
  ScopedReset& operator=(const ScopedReset&) = delete;
};

}  // namespace korvane::virtual_chassis

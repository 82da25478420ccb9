// What the korvane command needs from a chassis session: a handful of reads,
// writes and names, behind one small interface, so that the subcommands do not
// depend on which face of the driver carries the calls.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "standins/chassis/alarm_names.h"

namespace korvane::cli {

// The chassis's alarms and their names, shared with the virtual chassis's scenario files.
using alarms::Alarm;
using alarms::MachineName;
using alarms::Words;

// A driver call that failed: its status, what korvane was doing in words
// ("reading the speed of fan FAN2"), the call's name and the driver's own
// description of the failure.
class DriverError : public std::runtime_error {
 public:
  DriverError(int32_t status, std::string operation, std::string call, std::string description);
  int32_t status() const { return status_; }
  const std::string& operation() const { return operation_; }
  const std::string& call() const { return call_; }
  const std::string& description() const { return description_; }

 private:
  int32_t status_;
  std::string operation_;
  std::string call_;
  std::string description_;
};

// "reading the speed of fan FAN2 failed (0xBFFA0067): <description> [<call>]"
std::string Describe(const DriverError& error);

// How to open the session: the resource (or logical name) and the option string,
// already composed (session_options.h).
struct SessionRequest {
  std::string resource;
  std::string options;
};

enum class IdentityText { kManufacturer, kModel, kFirmwareRevision, kSerialNumber, kPcieLink };
// The driver's own identity (inherent attributes).
enum class DriverText { kIdentifier, kRevision, kVendor, kDescription };
enum class Collection { kTemperatureSensors, kFans, kVoltageRails };
// The alarm limits that are one number each.
enum class Limit { kMaxTemperature, kMinFanSpeed, kFullFanSpeedTemperature };
// The rail's values under the driver's property names: kMinVoltage is the
// driver's MinVoltage, which for a negative rail is the larger number.
enum class RailValue { kMeasured, kNominal, kMinVoltage, kMaxVoltage };

// The reference clock sources, numbered as the driver numbers them.
enum class ClockSource : int32_t { kInternal = 0, kExternal = 1, kTimingModule = 2 };

// One item of a collection: the name the driver shows for it (a display name
// from the configuration store, which may hold blanks, else the physical
// name) and the selector that reaches it whatever that name is.
struct ChassisItem {
  std::string name;
  std::string physical;  // "FAN1"
  std::string selector;  // "Fan!!FAN1"
};

// One code the self test reported. A code the chassis has no text for is
// still a failure of the self test: its query fails, which consumes the entry,
// so such an entry keeps the driver's message and has no code.
struct SelfTestEntry {
  std::optional<int32_t> code;
  std::string message;
};

struct SelfTestOutcome {
  int32_t result;       // 0: passed
  std::string message;  // the driver's summary
  std::vector<SelfTestEntry> errors;
};

class ChassisAccess {
 public:
  virtual ~ChassisAccess() = default;

  virtual std::string Text(IdentityText which) = 0;
  virtual std::string Text(DriverText which) = 0;
  // Whether the session simulates the chassis (the option string or the store says so).
  virtual bool Simulating() = 0;
  virtual double UptimeSeconds() = 0;
  virtual ClockSource ReferenceClock() = 0;

  virtual std::vector<ChassisItem> Items(Collection which) = 0;
  virtual double Temperature(const ChassisItem& sensor) = 0;
  virtual int32_t FanSpeed(const ChassisItem& fan) = 0;
  virtual double Rail(const ChassisItem& rail, RailValue which) = 0;
  virtual int32_t LimitValue(Limit which) = 0;
  virtual bool FanAutoControl() = 0;

  // rail is used for Alarm::kRail only.
  virtual bool AlarmOccurred(Alarm which, const ChassisItem& rail = {}) = 0;
  virtual void ClearAlarm(Alarm which, const ChassisItem& rail = {}) = 0;

  // Trigger lines 0..7; routings are the driver's KorvaneTrigBusEnum values 0..7.
  virtual int32_t TriggerRouting(int32_t line) = 0;
  virtual void ConnectTrigger(int32_t line, int32_t routing) = 0;
  virtual void DisconnectAllTriggers() = 0;
  virtual void RestoreDefaultTriggers() = 0;

  virtual SelfTestOutcome SelfTest() = 0;

  // Ends the session; the destructor closes it too when this was not called.
  virtual void Close() = 0;
};

// Opens a session on the chassis; throws DriverError when the driver refuses.
std::unique_ptr<ChassisAccess> OpenChassis(const SessionRequest& request);

}  // namespace korvane::cli

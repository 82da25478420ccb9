// What the korvane command needs from a chassis session: a handful of reads,
// writes and names, behind one small interface, so that the subcommands do not
// depend on which face of the driver carries the calls.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvane::cli {

// A driver call that failed: its status, the call's name and the driver's own
// description of the failure.
class DriverError : public std::runtime_error {
 public:
  DriverError(int32_t status, std::string call, std::string description);
  int32_t status() const { return status_; }
  const std::string& call() const { return call_; }
  const std::string& description() const { return description_; }

 private:
  int32_t status_;
  std::string call_;
  std::string description_;
};

// How to open the session: the resource (or logical name) and the option string,
// already composed (session_options.h).
struct SessionRequest {
  std::string resource;
  std::string options;
};

enum class IdentityText { kManufacturer, kModel, kFirmwareRevision, kSerialNumber, kPcieLink };
enum class Collection { kTemperatureSensors, kFans, kVoltageRails };
// The chassis-wide alarms; a rail alarm names its rail.
enum class Alarm { kOverTemperature, kFanUnderspeed, kReferenceClock, kRail };
// The alarm limits that are one number each.
enum class Limit { kMaxTemperature, kMinFanSpeed, kFullFanSpeedTemperature };
enum class RailValue { kMeasured, kNominal, kLowThreshold, kHighThreshold };

// The reference clock sources, numbered as the driver numbers them.
enum class ClockSource : int32_t { kInternal = 0, kExternal = 1, kTimingModule = 2 };

struct SelfTestEntry {
  int32_t code;
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
  virtual double UptimeSeconds() = 0;
  virtual ClockSource ReferenceClock() = 0;

  virtual std::vector<std::string> Names(Collection which) = 0;
  virtual double Temperature(const std::string& sensor) = 0;
  virtual int32_t FanSpeed(const std::string& fan) = 0;
  virtual double Rail(const std::string& rail, RailValue which) = 0;
  virtual int32_t LimitValue(Limit which) = 0;
  virtual bool FanAutoControl() = 0;

  // rail names the rail for Alarm::kRail and is ignored otherwise.
  virtual bool AlarmOccurred(Alarm which, const std::string& rail = {}) = 0;
  virtual void ClearAlarm(Alarm which, const std::string& rail = {}) = 0;

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

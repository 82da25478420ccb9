// One reading of the chassis's health, gathered through a session value by
// value, and the renderings of it that `korvane status` and `watch` offer.
// Each value is read on its own: a value the driver refused keeps the
// driver's status and a message naming the item and the operation, and every
// other value is still read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "tools/korvane/chassis_access.h"

namespace korvane::cli {

// Why a value is missing: the driver's status and what failed, in words
// ("reading the speed of fan FAN2 failed (0xBFFA0067): ...").
struct ReadFailure {
  int32_t status = 0;
  std::string message;
};

// A value as read, or the failure that took its place.
template <typename T>
class Reading {
 public:
  Reading() : state_(ReadFailure{0, "not read"}) {}
  Reading(T value) : state_(std::move(value)) {}
  Reading(ReadFailure failure) : state_(std::move(failure)) {}

  bool ok() const { return state_.index() == 0; }
  // The value, or null when it failed.
  const T* get() const { return std::get_if<0>(&state_); }
  // The failure, or null when the value was read.
  const ReadFailure* failure() const { return std::get_if<1>(&state_); }
  // The value, or `otherwise` when it failed.
  T value_or(T otherwise) const { return ok() ? *get() : otherwise; }

 private:
  std::variant<T, ReadFailure> state_;
};

// name is the name the driver shows, physical the item's physical name.
struct SensorReading {
  std::string name;
  std::string physical;
  Reading<double> celsius;
};

struct FanReading {
  std::string name;
  std::string physical;
  Reading<int32_t> rpm;
};

// A rail's alarm limits are presented as lower (the smaller number) and upper,
// whichever of the driver's MinVoltage and MaxVoltage holds them: for a
// negative rail the driver's MaxVoltage is the more negative one.
struct RailReading {
  std::string name;
  std::string physical;
  Reading<double> volts;
  Reading<double> nominal;
  Reading<double> minVoltage;  // the driver's MinVoltage and MaxVoltage, as they are
  Reading<double> maxVoltage;
  Reading<double> lower;
  Reading<double> upper;
  Reading<bool> alarm;
};

template <typename Item>
using ItemList = Reading<std::vector<Item>>;

struct HealthReport {
  std::string chassis;  // the resource or logical name the session was opened with
  bool simulated = false;
  // The chassis answering is the virtual one of the chassis stand-in: its
  // firmware revision ends with kVirtualChassisMark.
  bool virtualChassis = false;
  Reading<std::string> manufacturer, model, serial, firmware, pcieLink;
  Reading<double> uptimeSeconds;
  Reading<ClockSource> clockSource;
  Reading<bool> clockAlarm;
  Reading<int32_t> maxTemperature;
  Reading<bool> overTemperatureAlarm;
  Reading<int32_t> minFanSpeed;
  Reading<bool> fanUnderspeedAlarm;
  Reading<bool> fanAutoControl;
  Reading<int32_t> fullFanSpeedTemperature;
  ItemList<SensorReading> sensors;
  ItemList<FanReading> fans;
  ItemList<RailReading> rails;
};

inline constexpr std::string_view kVirtualChassisMark = " (virtual chassis)";

// Whether a firmware revision is that of the virtual chassis.
bool IsVirtualChassis(std::string_view firmware);

// Orders a rail's two alarm limits as lower and upper. With both read, the
// smaller is lower; with one failed, the driver's meaning decides: MinVoltage
// is the lower limit of a rail whose nominal voltage is not negative.
std::pair<Reading<double>, Reading<double>> LowerUpper(Reading<double> minVoltage,
                                                       Reading<double> maxVoltage,
                                                       const Reading<double>& nominal);

// simulated is what the command line asked for, used only when the session
// cannot tell whether it simulates.
HealthReport ReadHealth(ChassisAccess& chassis, const std::string& name, bool simulated);

// Every failure of the reading, in table order.
std::vector<ReadFailure> Failures(const HealthReport& report);

// The alarms that are set, in table order, by their machine names
// (standins/chassis/alarm_names.h); empty when none is. An alarm that could
// not be read is a failure, not an alarm.
std::vector<std::string> AlarmsSet(const HealthReport& report);

const char* ClockSourceName(ClockSource source);

// The health table; colour marks alarms with ANSI escapes. The compact
// layout puts the whole reading into `columns` x `rows` (80 x 24 and more), as
// `watch` needs on a small terminal: values side by side, every line cut to
// the width, and the errors that do not fit counted.
struct TableStyle {
  bool colour = false;
  bool compact = false;
  int columns = 80;
  int rows = 24;
};
void WriteTable(std::ostream& out, const HealthReport& report, TableStyle style);
// Cuts a line to `columns` characters on the screen; escape sequences take
// none, and with colour the cut line ends with a reset.
std::string CutToWidth(const std::string& line, int columns, bool colour);
// The JSON document of tools/korvane/status.schema.json; indent < 0 writes
// it on one line.
void WriteJson(std::ostream& out, const HealthReport& report, int indent = 2);
// Gauges in the Prometheus text exposition format.
void WritePrometheus(std::ostream& out, const HealthReport& report);

}  // namespace korvane::cli

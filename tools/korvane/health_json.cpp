// The JSON form of `korvane status --json`; its schema is status.schema.json
// beside this file, and its "schema" member names the version of that schema.
// A value that could not be read is left out; the object that would hold it
// carries an "error" (the first failure in it) and the document's "errors"
// lists every failure. Numbers are finite: the session refuses others as
// failures.
#include <nlohmann/json.hpp>
#include <ostream>

#include "tools/korvane/health.h"

namespace korvane::cli {
namespace {

using nlohmann::json;

json ErrorObject(const ReadFailure& failure) {
  return {{"status", failure.status}, {"message", failure.message}};
}

// Adds the member, or marks the object with the failure that took its place
// (the first one in the object).
template <typename T>
void Put(json& object, const char* member, const Reading<T>& reading) {
  if (const T* value = reading.get()) {
    object[member] = *value;
  } else if (!object.contains("error")) {
    object["error"] = ErrorObject(*reading.failure());
  }
}

// A value of the document itself: left out when it failed ("errors" has it).
template <typename T>
void PutTop(json& document, const char* member, const Reading<T>& reading) {
  if (const T* value = reading.get()) document[member] = *value;
}

template <typename Item, typename Write>
json Items(json& owner, const ItemList<Item>& list, Write&& write) {
  json items = json::array();
  if (const auto* failure = list.failure()) {
    if (!owner.contains("error")) owner["error"] = ErrorObject(*failure);
    return items;
  }
  for (const auto& item : *list.get()) {
    json entry = {{"name", item.name}, {"physical_name", item.physical}};
    write(entry, item);
    items.push_back(std::move(entry));
  }
  return items;
}

}  // namespace

void WriteJson(std::ostream& out, const HealthReport& report, int indent) {
  json identity = json::object();
  Put(identity, "manufacturer", report.manufacturer);
  Put(identity, "model", report.model);
  Put(identity, "serial_number", report.serial);
  Put(identity, "firmware_revision", report.firmware);

  json clock = json::object();
  if (const auto* source = report.clockSource.get()) {
    clock["source"] = ClockSourceName(*source);
  } else {
    clock["error"] = ErrorObject(*report.clockSource.failure());
  }
  Put(clock, "alarm", report.clockAlarm);

  json temperature = json::object();
  Put(temperature, "alarm_above_celsius", report.maxTemperature);
  Put(temperature, "alarm", report.overTemperatureAlarm);
  temperature["sensors"] = Items(temperature, report.sensors, [](json& entry, const auto& sensor) {
    Put(entry, "celsius", sensor.celsius);
  });

  json fans = json::object();
  Put(fans, "alarm_below_rpm", report.minFanSpeed);
  Put(fans, "alarm", report.fanUnderspeedAlarm);
  Put(fans, "automatic", report.fanAutoControl);
  Put(fans, "full_speed_celsius", report.fullFanSpeedTemperature);
  fans["fans"] =
      Items(fans, report.fans, [](json& entry, const auto& fan) { Put(entry, "rpm", fan.rpm); });

  json railsOwner = json::object();
  json rails = Items(railsOwner, report.rails, [](json& entry, const RailReading& rail) {
    Put(entry, "volts", rail.volts);
    Put(entry, "nominal_volts", rail.nominal);
    Put(entry, "lower_volts", rail.lower);
    Put(entry, "upper_volts", rail.upper);
    Put(entry, "alarm", rail.alarm);
    // The driver's MinVoltage and MaxVoltage as they are, under their older names.
    Put(entry, "low_threshold_volts", rail.minVoltage);
    Put(entry, "high_threshold_volts", rail.maxVoltage);
  });

  json alarms = json::array();
  for (const auto& alarm : AlarmsSet(report)) alarms.push_back(alarm);
  json errors = json::array();
  for (const auto& failure : Failures(report)) errors.push_back(ErrorObject(failure));

  json document = {{"schema", "korvane-status/1"},
                   {"chassis", report.chassis},
                   {"simulated", report.simulated},
                   {"virtual_chassis", report.virtualChassis},
                   {"identity", identity}};
  PutTop(document, "uptime_seconds", report.uptimeSeconds);
  PutTop(document, "pcie_link", report.pcieLink);
  document["reference_clock"] = clock;
  document["temperature"] = temperature;
  document["fans"] = fans;
  document["voltage_rails"] = rails;
  if (railsOwner.contains("error")) document["voltage_rails_error"] = railsOwner["error"];
  document["alarms"] = alarms;
  document["errors"] = errors;
  out << document.dump(indent) << "\n";
}

}  // namespace korvane::cli

// The chassis session through the driver's IVI-C face (Korvane.h), as a
// user's own C or C++ program would use it.
#include <string>
#include <vector>

#include "ivic/Korvane.h"
#include "tools/korvane/chassis_access.h"

namespace korvane::cli {
namespace {

// The description the driver stored for the session's last error (for a
// failed open, under VI_NULL), else the message table's text of the status.
std::string ErrorText(ViSession vi, ViStatus status) {
  std::vector<ViChar> text(1024, '\0');
  ViStatus code = 0;
  if (Korvane_GetError(vi, &code, static_cast<ViInt32>(text.size()), text.data()) >= 0 &&
      text[0] != '\0')
    return text.data();
  ViChar message[256] = {};
  Korvane_error_message(vi, status, message);
  return message;
}

void Check(ViSession vi, ViStatus status, const std::string& call) {
  if (status < 0) throw DriverError(status, call, ErrorText(vi, status));
}

// A string result under the driver's string return rule: ask for the size, then read.
template <typename Read>
std::string ReadText(ViSession vi, Read&& read, const std::string& call) {
  const ViStatus needed = read(0, nullptr);
  Check(vi, needed, call);
  std::vector<ViChar> text(static_cast<size_t>(needed > 0 ? needed : 1), '\0');
  Check(vi, read(static_cast<ViInt32>(text.size()), text.data()), call);
  return text.data();
}

class CChassisAccess final : public ChassisAccess {
 public:
  explicit CChassisAccess(const SessionRequest& request) {
    std::string resource = request.resource;
    Check(
        VI_NULL,
        Korvane_InitWithOptions(resource.data(), VI_TRUE, VI_FALSE, request.options.c_str(), &vi_),
        "Korvane_InitWithOptions");
  }
  ~CChassisAccess() override {
    if (vi_ != VI_NULL) Korvane_close(vi_);
  }

  std::string Text(IdentityText which) override {
    switch (which) {
      case IdentityText::kManufacturer:
        return StringAttribute(IVI_ATTR_INSTRUMENT_MANUFACTURER,
                               "IVI_ATTR_INSTRUMENT_MANUFACTURER");
      case IdentityText::kModel:
        return StringAttribute(IVI_ATTR_INSTRUMENT_MODEL, "IVI_ATTR_INSTRUMENT_MODEL");
      case IdentityText::kFirmwareRevision:
        return StringAttribute(IVI_ATTR_INSTRUMENT_FIRMWARE_REVISION,
                               "IVI_ATTR_INSTRUMENT_FIRMWARE_REVISION");
      case IdentityText::kSerialNumber:
        return StringAttribute(KORVANE_ATTR_SYSTEM_SERIAL_NUMBER,
                               "KORVANE_ATTR_SYSTEM_SERIAL_NUMBER");
      case IdentityText::kPcieLink:
        return StringAttribute(KORVANE_ATTR_PCIE_LINK, "KORVANE_ATTR_PCIE_LINK");
    }
    return "";
  }

  double UptimeSeconds() override {
    return Real("", KORVANE_ATTR_SYSTEM_UPTIME, "KORVANE_ATTR_SYSTEM_UPTIME");
  }

  ClockSource ReferenceClock() override {
    return static_cast<ClockSource>(
        Int32("", KORVANE_ATTR_REFERENCE_CLOCK_SOURCE, "KORVANE_ATTR_REFERENCE_CLOCK_SOURCE"));
  }

  std::vector<std::string> Names(Collection which) override {
    std::vector<std::string> names;
    switch (which) {
      case Collection::kTemperatureSensors:
        return NamesOf(KORVANE_ATTR_TEMPERATURE_SENSORS_COUNT, Korvane_GetTemperatureSensorName,
                       "Korvane_GetTemperatureSensorName");
      case Collection::kFans:
        return NamesOf(KORVANE_ATTR_FANS_COUNT, Korvane_GetFanName, "Korvane_GetFanName");
      case Collection::kVoltageRails:
        return NamesOf(KORVANE_ATTR_VOLTAGE_RAILS_COUNT, Korvane_GetVoltageRailName,
                       "Korvane_GetVoltageRailName");
    }
    return names;
  }

  double Temperature(const std::string& sensor) override {
    return Real(sensor, KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE,
                "KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE");
  }

  int32_t FanSpeed(const std::string& fan) override {
    return Int32(fan, KORVANE_ATTR_FAN_RPM, "KORVANE_ATTR_FAN_RPM");
  }

  double Rail(const std::string& rail, RailValue which) override {
    switch (which) {
      case RailValue::kMeasured:
        return Real(rail, KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE, "KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE");
      case RailValue::kNominal:
        return Real(rail, KORVANE_ATTR_VOLTAGE_RAIL_EXPECTED_VOLTAGE,
                    "KORVANE_ATTR_VOLTAGE_RAIL_EXPECTED_VOLTAGE");
      case RailValue::kLowThreshold:
        return Real(rail, KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MIN_VOLTAGE,
                    "KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MIN_VOLTAGE");
      case RailValue::kHighThreshold:
        return Real(rail, KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE,
                    "KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE");
    }
    return 0;
  }

  int32_t LimitValue(Limit which) override {
    switch (which) {
      case Limit::kMaxTemperature:
        return Int32("", KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP,
                     "KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP");
      case Limit::kMinFanSpeed:
        return Int32("", KORVANE_ATTR_FANS_ALARM_MIN_RPM, "KORVANE_ATTR_FANS_ALARM_MIN_RPM");
      case Limit::kFullFanSpeedTemperature:
        return Int32("", KORVANE_ATTR_FANS_CONTROL_MAX_RPM_TEMP,
                     "KORVANE_ATTR_FANS_CONTROL_MAX_RPM_TEMP");
    }
    return 0;
  }

  bool FanAutoControl() override {
    return Boolean("", KORVANE_ATTR_FANS_CONTROL_AUTO, "KORVANE_ATTR_FANS_CONTROL_AUTO");
  }

  bool AlarmOccurred(Alarm which, const std::string& rail) override {
    switch (which) {
      case Alarm::kOverTemperature:
        return Boolean("", KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_OCCURRED,
                       "KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_OCCURRED");
      case Alarm::kFanUnderspeed:
        return Boolean("", KORVANE_ATTR_FANS_ALARM_OCCURRED, "KORVANE_ATTR_FANS_ALARM_OCCURRED");
      case Alarm::kReferenceClock:
        return Boolean("", KORVANE_ATTR_REFERENCE_CLOCK_ALARM_OCCURRED,
                       "KORVANE_ATTR_REFERENCE_CLOCK_ALARM_OCCURRED");
      case Alarm::kRail:
        return Boolean(rail, KORVANE_ATTR_VOLTAGE_RAIL_ALARM_OCCURRED,
                       "KORVANE_ATTR_VOLTAGE_RAIL_ALARM_OCCURRED");
    }
    return false;
  }

  void ClearAlarm(Alarm which, const std::string& rail) override {
    switch (which) {
      case Alarm::kOverTemperature:
        return Check(vi_, Korvane_TemperatureAlarmClear(vi_), "Korvane_TemperatureAlarmClear");
      case Alarm::kFanUnderspeed:
        return Check(vi_, Korvane_FanAlarmClear(vi_), "Korvane_FanAlarmClear");
      case Alarm::kReferenceClock:
        return Check(vi_, Korvane_RefClkAlarmClear(vi_), "Korvane_RefClkAlarmClear");
      case Alarm::kRail:
        return Check(vi_, Korvane_VoltageAlarmClear(vi_, rail.c_str()),
                     "Korvane_VoltageAlarmClear");
    }
  }

  int32_t TriggerRouting(int32_t line) override {
    ViInt32 routing = 0;
    Check(vi_, Korvane_TriggerBusConnection(vi_, line, &routing), "Korvane_TriggerBusConnection");
    return routing;
  }

  void ConnectTrigger(int32_t line, int32_t routing) override {
    Check(vi_, Korvane_TriggerBusConnect(vi_, line, routing), "Korvane_TriggerBusConnect");
  }

  void DisconnectAllTriggers() override {
    Check(vi_, Korvane_TriggerBusDisconnect(vi_), "Korvane_TriggerBusDisconnect");
  }

  void RestoreDefaultTriggers() override {
    Check(vi_, Korvane_TriggerBusConnectDefault(vi_), "Korvane_TriggerBusConnectDefault");
  }

  SelfTestOutcome SelfTest() override {
    ViInt16 result = 0;
    ViChar message[256] = {};
    Check(vi_, Korvane_self_test(vi_, &result, message), "Korvane_self_test");
    SelfTestOutcome outcome{result, message, {}};
    // Each query consumes one entry, so it is not asked for its size first.
    for (;;) {
      ViInt32 code = 0;
      std::vector<ViChar> text(1024, '\0');
      Check(vi_,
            Korvane_SelfTestErrorQuery(vi_, &code, static_cast<ViInt32>(text.size()), text.data()),
            "Korvane_SelfTestErrorQuery");
      if (code == 0) break;
      outcome.errors.push_back({code, text.data()});
    }
    return outcome;
  }

  void Close() override {
    const ViSession vi = vi_;
    vi_ = VI_NULL;
    Check(VI_NULL, Korvane_close(vi), "Korvane_close");
  }

 private:
  using NameFunction = ViStatus (*)(ViSession, ViInt32, ViInt32, ViChar*);

  std::vector<std::string> NamesOf(ViAttr countAttribute, NameFunction name, const char* call) {
    const int32_t count = Int32("", countAttribute, call);
    std::vector<std::string> names;
    for (ViInt32 index = 1; index <= count; ++index)
      names.push_back(ReadText(
          vi_, [&](ViInt32 size, ViChar* buffer) { return name(vi_, index, size, buffer); }, call));
    return names;
  }

  std::string StringAttribute(ViAttr id, const char* name) {
    return ReadText(
        vi_,
        [&](ViInt32 size, ViChar* buffer) {
          return Korvane_GetAttributeViString(vi_, "", id, size, buffer);
        },
        std::string("Korvane_GetAttributeViString(") + name + ")");
  }
  double Real(const std::string& item, ViAttr id, const char* name) {
    ViReal64 value = 0;
    Check(vi_, Korvane_GetAttributeViReal64(vi_, item.c_str(), id, &value),
          std::string("Korvane_GetAttributeViReal64(") + name + ")");
    return value;
  }
  int32_t Int32(const std::string& item, ViAttr id, const char* name) {
    ViInt32 value = 0;
    Check(vi_, Korvane_GetAttributeViInt32(vi_, item.c_str(), id, &value),
          std::string("Korvane_GetAttributeViInt32(") + name + ")");
    return value;
  }
  bool Boolean(const std::string& item, ViAttr id, const char* name) {
    ViBoolean value = VI_FALSE;
    Check(vi_, Korvane_GetAttributeViBoolean(vi_, item.c_str(), id, &value),
          std::string("Korvane_GetAttributeViBoolean(") + name + ")");
    return value != VI_FALSE;
  }

  ViSession vi_ = VI_NULL;
};

}  // namespace

std::unique_ptr<ChassisAccess> OpenChassis(const SessionRequest& request) {
  return std::make_unique<CChassisAccess>(request);
}

}  // namespace korvane::cli

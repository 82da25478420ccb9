// The chassis session through the driver's IVI-C face (Korvane.h), as a
// user's own C or C++ program would use it.
#include <array>
#include <cmath>
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

// What a failing call was for, in words, and the call itself.
struct Operation {
  std::string what;  // "reading the speed of fan FAN2"
  std::string call;  // "Korvane_GetAttributeViInt32 KORVANE_ATTR_FAN_RPM"
};

void Check(ViSession vi, ViStatus status, const Operation& operation) {
  if (status < 0) throw DriverError(status, operation.what, operation.call, ErrorText(vi, status));
}

// A string result under the driver's string return rule: ask for the size, then read.
template <typename Read>
std::string ReadText(ViSession vi, Read&& read, const Operation& operation) {
  const ViStatus needed = read(0, nullptr);
  Check(vi, needed, operation);
  std::vector<ViChar> text(static_cast<size_t>(needed > 0 ? needed : 1), '\0');
  Check(vi, read(static_cast<ViInt32>(text.size()), text.data()), operation);
  return text.data();
}

// One attribute as korvane reads it: its id, its name in Korvane.h and what it is in words.
struct Attribute {
  ViAttr id;
  const char* name;
  const char* words;
};

#define KORVANE_ATTRIBUTE(id, words) \
  Attribute {                        \
    id, #id, words                   \
  }

using NameFunction = ViStatus (*)(ViSession, ViInt32, ViInt32, ViChar*);

// The most codes one self test of the chassis reports.
constexpr int kMaxSelfTestCodes = 20;

// A collection of the chassis: how to count and name its items, and the
// physical names of its items in index order. An item is addressed by its
// qualified physical name ("Fan!!FAN1"), which the driver resolves whatever
// display or virtual names the configuration store gives.
struct CollectionInfo {
  Attribute count;
  NameFunction name;
  const char* nameCall;
  const char* noun;
  const char* qualifier;
  std::vector<const char*> physical;
};

const CollectionInfo& Info(Collection which) {
  static const std::array<CollectionInfo, 3> kCollections{{
      {KORVANE_ATTRIBUTE(KORVANE_ATTR_TEMPERATURE_SENSORS_COUNT, "the number of sensors"),
       Korvane_GetTemperatureSensorName,
       "Korvane_GetTemperatureSensorName",
       "sensor",
       "TemperatureSensor",
       {"TS1", "TS2", "TS3", "TS4", "TS5", "TS6", "TS7", "TS8"}},
      {KORVANE_ATTRIBUTE(KORVANE_ATTR_FANS_COUNT, "the number of fans"),
       Korvane_GetFanName,
       "Korvane_GetFanName",
       "fan",
       "Fan",
       {"FAN1", "FAN2", "FAN3"}},
      {KORVANE_ATTRIBUTE(KORVANE_ATTR_VOLTAGE_RAILS_COUNT, "the number of rails"),
       Korvane_GetVoltageRailName,
       "Korvane_GetVoltageRailName",
       "rail",
       "VoltageRail",
       {"VPLUS_3_3", "VPLUS_5_0", "VPLUS_12_0", "VMINUS_12_0"}},
  }};
  return kCollections[static_cast<size_t>(which)];
}

// "fan FAN2", or "fan 'Front fan' (FAN1)" when the driver shows another name.
std::string ItemWords(const char* noun, const ChassisItem& item) {
  if (item.name == item.physical) return std::string(noun) + " " + item.physical;
  return std::string(noun) + " '" + item.name + "' (" + item.physical + ")";
}

class CChassisAccess final : public ChassisAccess {
 public:
  explicit CChassisAccess(const SessionRequest& request) {
    std::string resource = request.resource;
    Check(
        VI_NULL,
        Korvane_InitWithOptions(resource.data(), VI_TRUE, VI_FALSE, request.options.c_str(), &vi_),
        {"opening a session on '" + request.resource + "'", "Korvane_InitWithOptions"});
  }
  ~CChassisAccess() override {
    if (vi_ != VI_NULL) Korvane_close(vi_);
  }

  std::string Text(IdentityText which) override {
    switch (which) {
      case IdentityText::kManufacturer:
        return String(KORVANE_ATTRIBUTE(IVI_ATTR_INSTRUMENT_MANUFACTURER, "the manufacturer"));
      case IdentityText::kModel:
        return String(KORVANE_ATTRIBUTE(IVI_ATTR_INSTRUMENT_MODEL, "the model"));
      case IdentityText::kFirmwareRevision:
        return String(
            KORVANE_ATTRIBUTE(IVI_ATTR_INSTRUMENT_FIRMWARE_REVISION, "the firmware revision"));
      case IdentityText::kSerialNumber:
        return String(KORVANE_ATTRIBUTE(KORVANE_ATTR_SYSTEM_SERIAL_NUMBER, "the serial number"));
      case IdentityText::kPcieLink:
        return String(KORVANE_ATTRIBUTE(KORVANE_ATTR_PCIE_LINK, "the PCIe link"));
    }
    return "";
  }

  std::string Text(DriverText which) override {
    switch (which) {
      case DriverText::kIdentifier:
        return String(
            KORVANE_ATTRIBUTE(IVI_ATTR_SPECIFIC_DRIVER_PREFIX, "the driver's identifier"));
      case DriverText::kRevision:
        return String(
            KORVANE_ATTRIBUTE(IVI_ATTR_SPECIFIC_DRIVER_REVISION, "the driver's revision"));
      case DriverText::kVendor:
        return String(KORVANE_ATTRIBUTE(IVI_ATTR_SPECIFIC_DRIVER_VENDOR, "the driver's vendor"));
      case DriverText::kDescription:
        return String(
            KORVANE_ATTRIBUTE(IVI_ATTR_SPECIFIC_DRIVER_DESCRIPTION, "the driver's description"));
    }
    return "";
  }

  bool Simulating() override {
    return Boolean({}, KORVANE_ATTRIBUTE(IVI_ATTR_SIMULATE, "whether the session simulates"));
  }

  double UptimeSeconds() override {
    return Real({}, KORVANE_ATTRIBUTE(KORVANE_ATTR_SYSTEM_UPTIME, "the up time"));
  }

  ClockSource ReferenceClock() override {
    return static_cast<ClockSource>(Int32(
        {}, KORVANE_ATTRIBUTE(KORVANE_ATTR_REFERENCE_CLOCK_SOURCE, "the reference clock source")));
  }

  std::vector<ChassisItem> Items(Collection which) override {
    const CollectionInfo& info = Info(which);
    const int32_t count = Int32({}, info.count);
    std::vector<ChassisItem> items;
    for (ViInt32 index = 1; index <= count; ++index) {
      const std::string name = ReadText(
          vi_, [&](ViInt32 size, ViChar* buffer) { return info.name(vi_, index, size, buffer); },
          {"reading the name of " + std::string(info.noun) + " " + std::to_string(index),
           info.nameCall});
      const auto position = static_cast<size_t>(index - 1);
      // An item beyond the known ones can only be reached by the name shown.
      if (position < info.physical.size()) {
        items.push_back({name, info.physical[position],
                         std::string(info.qualifier) + "!!" + info.physical[position]});
      } else {
        items.push_back({name, name, name});
      }
    }
    return items;
  }

  double Temperature(const ChassisItem& sensor) override {
    return Real(
        sensor,
        KORVANE_ATTRIBUTE(KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE, "the temperature of"),
        "sensor");
  }

  int32_t FanSpeed(const ChassisItem& fan) override {
    return Int32(fan, KORVANE_ATTRIBUTE(KORVANE_ATTR_FAN_RPM, "the speed of"), "fan");
  }

  double Rail(const ChassisItem& rail, RailValue which) override {
    switch (which) {
      case RailValue::kMeasured:
        return Real(rail, KORVANE_ATTRIBUTE(KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE, "the voltage of"),
                    "rail");
      case RailValue::kNominal:
        return Real(
            rail,
            KORVANE_ATTRIBUTE(KORVANE_ATTR_VOLTAGE_RAIL_EXPECTED_VOLTAGE, "the nominal voltage of"),
            "rail");
      case RailValue::kMinVoltage:
        return Real(rail,
                    KORVANE_ATTRIBUTE(KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MIN_VOLTAGE,
                                      "the alarm limit MinVoltage of"),
                    "rail");
      case RailValue::kMaxVoltage:
        return Real(rail,
                    KORVANE_ATTRIBUTE(KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE,
                                      "the alarm limit MaxVoltage of"),
                    "rail");
    }
    return 0;
  }

  int32_t LimitValue(Limit which) override {
    switch (which) {
      case Limit::kMaxTemperature:
        return Int32({}, KORVANE_ATTRIBUTE(KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP,
                                           "the over-temperature limit"));
      case Limit::kMinFanSpeed:
        return Int32(
            {}, KORVANE_ATTRIBUTE(KORVANE_ATTR_FANS_ALARM_MIN_RPM, "the fan underspeed limit"));
      case Limit::kFullFanSpeedTemperature:
        return Int32({}, KORVANE_ATTRIBUTE(KORVANE_ATTR_FANS_CONTROL_MAX_RPM_TEMP,
                                           "the full fan speed temperature"));
    }
    return 0;
  }

  bool FanAutoControl() override {
    return Boolean({}, KORVANE_ATTRIBUTE(KORVANE_ATTR_FANS_CONTROL_AUTO, "the fan control mode"));
  }

  bool AlarmOccurred(Alarm which, const ChassisItem& rail) override {
    switch (which) {
      case Alarm::kOverTemperature:
        return Boolean({}, KORVANE_ATTRIBUTE(KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_OCCURRED,
                                             "the over-temperature alarm"));
      case Alarm::kFanUnderspeed:
        return Boolean(
            {}, KORVANE_ATTRIBUTE(KORVANE_ATTR_FANS_ALARM_OCCURRED, "the fan underspeed alarm"));
      case Alarm::kReferenceClock:
        return Boolean({}, KORVANE_ATTRIBUTE(KORVANE_ATTR_REFERENCE_CLOCK_ALARM_OCCURRED,
                                             "the reference clock alarm"));
      case Alarm::kRail:
        return Boolean(rail,
                       KORVANE_ATTRIBUTE(KORVANE_ATTR_VOLTAGE_RAIL_ALARM_OCCURRED, "the alarm of"),
                       "rail");
    }
    return false;
  }

  void ClearAlarm(Alarm which, const ChassisItem& rail) override {
    const std::string what = "clearing the " + Words(which, rail.physical) + " alarm";
    switch (which) {
      case Alarm::kOverTemperature:
        return Check(vi_, Korvane_TemperatureAlarmClear(vi_),
                     {what, "Korvane_TemperatureAlarmClear"});
      case Alarm::kFanUnderspeed:
        return Check(vi_, Korvane_FanAlarmClear(vi_), {what, "Korvane_FanAlarmClear"});
      case Alarm::kReferenceClock:
        return Check(vi_, Korvane_RefClkAlarmClear(vi_), {what, "Korvane_RefClkAlarmClear"});
      case Alarm::kRail:
        return Check(vi_, Korvane_VoltageAlarmClear(vi_, rail.selector.c_str()),
                     {what, "Korvane_VoltageAlarmClear"});
    }
  }

  int32_t TriggerRouting(int32_t line) override {
    ViInt32 routing = 0;
    Check(
        vi_, Korvane_TriggerBusConnection(vi_, line, &routing),
        {"reading the routing of PXI_TRIG" + std::to_string(line), "Korvane_TriggerBusConnection"});
    return routing;
  }

  void ConnectTrigger(int32_t line, int32_t routing) override {
    Check(vi_, Korvane_TriggerBusConnect(vi_, line, routing),
          {"routing PXI_TRIG" + std::to_string(line), "Korvane_TriggerBusConnect"});
  }

  void DisconnectAllTriggers() override {
    Check(vi_, Korvane_TriggerBusDisconnect(vi_),
          {"isolating every trigger line", "Korvane_TriggerBusDisconnect"});
  }

  void RestoreDefaultTriggers() override {
    Check(vi_, Korvane_TriggerBusConnectDefault(vi_),
          {"restoring the default trigger routing", "Korvane_TriggerBusConnectDefault"});
  }

  SelfTestOutcome SelfTest() override {
    ViInt16 result = 0;
    ViChar message[256] = {};
    Check(vi_, Korvane_self_test(vi_, &result, message),
          {"running the self test", "Korvane_self_test"});
    SelfTestOutcome outcome{result, message, {}};
    // Each query consumes one entry, so it is not asked for its size first. A
    // query fails for a code without a text; the chassis reports at most
    // kMaxSelfTestCodes codes, after which the queries answer 0.
    for (int entry = 0; entry <= kMaxSelfTestCodes; ++entry) {
      ViInt32 code = 0;
      std::vector<ViChar> text(1024, '\0');
      const ViStatus status =
          Korvane_SelfTestErrorQuery(vi_, &code, static_cast<ViInt32>(text.size()), text.data());
      if (status < 0) {
        outcome.errors.push_back(
            {std::nullopt, "a code without a text: " + ErrorText(vi_, status)});
        continue;
      }
      if (code == 0) break;
      outcome.errors.push_back({code, text.data()});
    }
    // A test whose codes the chassis cannot name has failed all the same.
    if (outcome.result == 0 && !outcome.errors.empty()) outcome.result = -1;
    return outcome;
  }

  void Close() override {
    const ViSession vi = vi_;
    vi_ = VI_NULL;
    Check(VI_NULL, Korvane_close(vi), {"closing the session", "Korvane_close"});
  }

 private:
  // What reading `attribute` of `item` is, in words: "reading the speed of fan FAN2".
  static Operation Reading(const Attribute& attribute, const char* call, const ChassisItem& item,
                           const char* noun) {
    std::string what = std::string("reading ") + attribute.words;
    if (noun != nullptr) what += " " + ItemWords(noun, item);
    return {what, std::string(call) + " " + attribute.name};
  }

  std::string String(const Attribute& attribute) {
    return ReadText(
        vi_,
        [&](ViInt32 size, ViChar* buffer) {
          return Korvane_GetAttributeViString(vi_, "", attribute.id, size, buffer);
        },
        Reading(attribute, "Korvane_GetAttributeViString", {}, nullptr));
  }
  double Real(const ChassisItem& item, const Attribute& attribute, const char* noun = nullptr) {
    ViReal64 value = 0;
    const Operation operation = Reading(attribute, "Korvane_GetAttributeViReal64", item, noun);
    Check(vi_, Korvane_GetAttributeViReal64(vi_, item.selector.c_str(), attribute.id, &value),
          operation);
    // No output can show a NaN or an infinity as a reading: it is a failure.
    if (!std::isfinite(value))
      throw DriverError(0, operation.what, operation.call,
                        "the driver returned " + std::to_string(value) + ", not a finite number");
    return value;
  }
  int32_t Int32(const ChassisItem& item, const Attribute& attribute, const char* noun = nullptr) {
    ViInt32 value = 0;
    Check(vi_, Korvane_GetAttributeViInt32(vi_, item.selector.c_str(), attribute.id, &value),
          Reading(attribute, "Korvane_GetAttributeViInt32", item, noun));
    return value;
  }
  bool Boolean(const ChassisItem& item, const Attribute& attribute, const char* noun = nullptr) {
    ViBoolean value = VI_FALSE;
    Check(vi_, Korvane_GetAttributeViBoolean(vi_, item.selector.c_str(), attribute.id, &value),
          Reading(attribute, "Korvane_GetAttributeViBoolean", item, noun));
    return value != VI_FALSE;
  }

  ViSession vi_ = VI_NULL;
};

#undef KORVANE_ATTRIBUTE

}  // namespace

std::unique_ptr<ChassisAccess> OpenChassis(const SessionRequest& request) {
  return std::make_unique<CChassisAccess>(request);
}

}  // namespace korvane::cli

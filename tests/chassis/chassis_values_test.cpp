// What the virtual chassis answers: indexes, refused values, routing, texts,
// self test, status descriptions, live values and sessions.
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tests/chassis/open_chassis.h"

namespace korvane::virtual_chassis {
namespace {

using ChassisValuesTest = OpenChassis;

TEST_F(ChassisValuesTest, FansAndSensorsAnswerFromTheirOwnBaseIndex) {
  struct Case {
    const char* name;
    std::function<void()> setup;
    std::vector<uint32_t> fans_present;
    std::vector<uint32_t> fans_absent;
    std::vector<uint32_t> sensors_present;
    std::vector<uint32_t> sensors_absent;
  };
  const Case cases[] = {
      {"defaults", [] {}, {1, 2, 3}, {0, 4}, {0, 7}, {8}},
      {"moved bases",
       [] { SetFanMinIndex(10), SetTemperatureSensorMinIndex(20); },
       {10, 12},
       {1, 9, 13},
       {20, 27},
       {0, 19, 28}},
      {"absent items",
       [] { SetFanPresent(1, false), SetSensorPresent(7, false); },
       {1, 3},
       {2},
       {0, 6},
       {7}},
      {"base at the top", [] { SetFanMinIndex(0xFFFFFFFFu); }, {0xFFFFFFFFu}, {0, 1}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    c.setup();
    for (uint32_t index : c.fans_present) {
      uint32_t rpm = 0;
      EXPECT_EQ(api_.getFanSpeed(index, &rpm), 0) << index;
      EXPECT_GT(rpm, 0u);
    }
    for (uint32_t index : c.fans_absent) {
      uint32_t rpm = 12;
      EXPECT_EQ(api_.getFanSpeed(index, &rpm), kInvalidValue) << index;
      EXPECT_EQ(rpm, 12u);
    }
    for (uint32_t index : c.sensors_present) {
      double degrees = 0;
      EXPECT_EQ(api_.getTemperatureSensorValue(index, &degrees), 0) << index;
    }
    for (uint32_t index : c.sensors_absent) {
      double degrees = 12;
      EXPECT_EQ(api_.getTemperatureSensorValue(index, &degrees), kInvalidValue) << index;
    }
  }
  Reset();
  EXPECT_EQ(api_.getFanMinIndex(), 1u);
  EXPECT_EQ(api_.getTemperatureSensorMinIndex(), 0u);
}

TEST_F(ChassisValuesTest, IntegerSettersRefuseValuesOutsideTheChassisLimits) {
  using Setter = int32_t (Korvane_Fundamental_Api::*)(uint32_t);
  using Getter = int32_t (Korvane_Fundamental_Api::*)(uint32_t*, int32_t);
  struct Case {
    const char* name;
    Setter set;
    Getter get;
    uint32_t power_on;
    std::vector<uint32_t> accepted;
    std::vector<uint32_t> refused;
  };
  const Case cases[] = {
      {"thermostat",
       &Korvane_Fundamental_Api::setChassisThermostatSetpoint,
       &Korvane_Fundamental_Api::getChassisThermostatSetpoint,
       50,
       {25, 70},
       {24, 71, 0xFFFFFFFFu}},
      {"over-temperature",
       &Korvane_Fundamental_Api::setOverTempAlarmThreshold,
       &Korvane_Fundamental_Api::getOverTempAlarmThreshold,
       70,
       {0, 110},
       {111, 0xFFFFFFFFu}},
      {"underspeed",
       &Korvane_Fundamental_Api::setFanUnderspeedAlarmThreshold,
       &Korvane_Fundamental_Api::getFanUnderspeedAlarmThreshold,
       800,
       {0, 10000},
       {10001, 0xFFFFFFFFu}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t value = 0;
    ASSERT_EQ((api_.*c.get)(&value, 0), 0);
    EXPECT_EQ(value, c.power_on);
    for (uint32_t v : c.accepted) {
      EXPECT_EQ((api_.*c.set)(v), 0) << v;
      EXPECT_EQ((api_.*c.get)(&value, 0), 0);
      EXPECT_EQ(value, v);
    }
    const uint32_t kept = value;
    for (uint32_t v : c.refused) {
      EXPECT_EQ((api_.*c.set)(v), kInvalidValue) << v;
      EXPECT_EQ((api_.*c.get)(&value, 0), 0);
      EXPECT_EQ(value, kept);
    }
    EXPECT_EQ((api_.*c.get)(&value, 1), 0);  // the power-on value stays what it was
    EXPECT_EQ(value, c.power_on);
    EXPECT_EQ((api_.*c.get)(&value, 2), kInvalidValue);
    EXPECT_EQ((api_.*c.get)(nullptr, 0), kInvalidValue);
  }
}

TEST_F(ChassisValuesTest, RailThresholdsStayInsideTheRailsWindows) {
  struct Case {
    Korvane_Fundamental_VoltageRail rail;
    int32_t side;
    double power_on, lowest, highest, below, above;
  };
  const Case cases[] = {
      {Korvane_Fundamental_RailPlus5V, 0, 5.25, 5.0, 6.25, 4.999, 6.26},
      {Korvane_Fundamental_RailPlus5V, 1, 4.75, 3.75, 5.0, 3.749, 5.001},
      {Korvane_Fundamental_RailPlus3V3, 0, 3.465, 3.3, 4.125, 3.299, 4.126},
      {Korvane_Fundamental_RailPlus3V3, 1, 3.135, 2.4749999999999996, 3.3, 2.47, 3.301},
      {Korvane_Fundamental_RailPlus12V, 0, 12.6, 12.0, 15.0, 11.999, 15.001},
      {Korvane_Fundamental_RailPlus12V, 1, 11.4, 9.0, 12.0, 8.999, 12.001},
      {Korvane_Fundamental_RailMinus12V, 0, -12.6, -15.0, -12.0, -15.001, -11.0},
      {Korvane_Fundamental_RailMinus12V, 1, -11.4, -12.0, -9.0, -12.001, -8.999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "rail " << c.rail << " side " << c.side);
    double volts = 0;
    ASSERT_EQ(api_.getVoltageHiLowAlarmThreshold(c.rail, c.side, &volts, 0), 0);
    EXPECT_EQ(volts, c.power_on);
    for (double refused : {c.below, c.above, std::numeric_limits<double>::quiet_NaN()}) {
      EXPECT_EQ(api_.setVoltageHiLowAlarmThreshold(c.rail, c.side, refused), kThresholdRefused)
          << refused;
    }
    EXPECT_EQ(api_.getVoltageHiLowAlarmThreshold(c.rail, c.side, &volts, 0), 0);
    EXPECT_EQ(volts, c.power_on);
    for (double accepted : {c.lowest, c.highest}) {
      EXPECT_EQ(api_.setVoltageHiLowAlarmThreshold(c.rail, c.side, accepted), 0) << accepted;
      EXPECT_EQ(api_.getVoltageHiLowAlarmThreshold(c.rail, c.side, &volts, 0), 0);
      EXPECT_EQ(volts, accepted);
    }
    EXPECT_EQ(api_.getVoltageHiLowAlarmThreshold(c.rail, c.side, &volts, 1), 0);
    EXPECT_EQ(volts, c.power_on);
  }
  const auto no_rail = static_cast<Korvane_Fundamental_VoltageRail>(4);
  double volts = 0;
  EXPECT_EQ(api_.setVoltageHiLowAlarmThreshold(Korvane_Fundamental_RailPlus5V, 2, 5.1),
            kInvalidValue);
  EXPECT_EQ(api_.setVoltageHiLowAlarmThreshold(no_rail, 0, 5.1), kInvalidValue);
  EXPECT_EQ(api_.getVoltageHiLowAlarmThreshold(no_rail, 0, &volts, 0), kInvalidValue);
  EXPECT_EQ(api_.getSupplyRailVoltage(no_rail, &volts), kInvalidValue);
}

TEST_F(ChassisValuesTest, TextsAreTheChassisOwnAndFitTheCallersBuffer) {
  using TextGetter = std::function<int32_t(char*, uint32_t)>;
  struct Case {
    Text which;
    TextGetter get;
    const char* default_text;
  };
  const Case cases[] = {
      {Text::kModel, [&](char* t, uint32_t n) { return api_.getModelNumber(t, n); }, "Q7730A"},
      {Text::kFirmwareRevision,
       [&](char* t, uint32_t n) {
         return api_.getRevisionNumber(Korvane_Fundamental_RevisionFirmware, t, n);
       },
       nullptr},
      {Text::kSerialNumber, [&](char* t, uint32_t n) { return api_.getSerialNumber(t, n); },
       nullptr},
      {Text::kPCIeLinkTopology, [&](char* t, uint32_t n) { return api_.getPCIeLinkTopology(t, n); },
       "1x8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.which));
    char text[256] = "";
    ASSERT_EQ(c.get(text, sizeof text), 0);
    EXPECT_NE(text[0], '\0');
    if (c.default_text != nullptr) {
      EXPECT_STREQ(text, c.default_text);
    }
    // Only the firmware revision says that the chassis is virtual.
    const bool marked = c.which == Text::kFirmwareRevision;
    EXPECT_EQ(std::string(text).ends_with(kFirmwareSuffix), marked);
    SetText(c.which, "q7730a-Text");
    ASSERT_EQ(c.get(text, sizeof text), 0);
    EXPECT_EQ(std::string(text), std::string("q7730a-Text") + (marked ? kFirmwareSuffix : ""));
    char small[4] = "zzz";
    ASSERT_EQ(c.get(small, sizeof small), 0);
    EXPECT_STREQ(small, "q77");
    EXPECT_EQ(c.get(nullptr, 256), kInvalidValue);
    EXPECT_EQ(c.get(small, 0), kInvalidValue);
  }
  char text[256];
  EXPECT_EQ(api_.getRevisionNumber(static_cast<Korvane_Fundamental_RevisionNumbers>(1), text, 256),
            kInvalidValue);
}

// The codes in order, their default and set texts and a failing mapping are
// read through the driver in the faces' self-test tests; here what the driver
// never sends: more codes than fit, an unknown code, a null count.
TEST_F(ChassisValuesTest, SelfTestReportsAtMostTheMaximumOfCodes) {
  int32_t count = -1;
  int32_t codes[Korvane_Fundamental_MaxSelfTestCodes] = {};
  std::vector<int32_t> many(25);
  for (size_t i = 0; i < many.size(); ++i) many[i] = static_cast<int32_t>(i + 1);
  SetSelfTestCodes(many.data(), 25);
  ASSERT_EQ(api_.selfTest(&count, codes), 0);
  EXPECT_EQ(count, 20);
  EXPECT_EQ(codes[19], 20);
  char text[256] = "";
  EXPECT_EQ(api_.mapSelfTestCodeToString(-7, text, sizeof text), kInvalidValue);
  EXPECT_EQ(api_.selfTest(nullptr, codes), kInvalidValue);
}

TEST_F(ChassisValuesTest, StatusDescriptionsClassifyStatuses) {
  struct Case {
    int32_t status;
    Korvane_Fundamental_StatusCodeType type;
  };
  const Case cases[] = {
      {Korvane_Fundamental_StatusInvalidValue, Korvane_Fundamental_StatusTypeChassis},
      {Korvane_Fundamental_StatusThresholdRefused, Korvane_Fundamental_StatusTypeChassis},
      {Korvane_Fundamental_StatusControllerFault, Korvane_Fundamental_StatusTypeChassis},
      {Korvane_Fundamental_StatusSessionNotOpen, Korvane_Fundamental_StatusTypeVisa},
      {Korvane_Fundamental_StatusResourceNotFound, Korvane_Fundamental_StatusTypeVisa},
      {0x12345, Korvane_Fundamental_StatusTypeUnknown},
  };
  for (const Case& c : cases) {
    char text[256] = "";
    EXPECT_EQ(api_.getStatusDesc(c.status, text, sizeof text), c.type) << c.status;
    EXPECT_NE(text[0], '\0');
  }
  SetStatusDescription(0x12345, Korvane_Fundamental_StatusTypeUnexpected, "Backplane says hello.");
  char text[256] = "";
  EXPECT_EQ(api_.getStatusDesc(0x12345, text, sizeof text),
            Korvane_Fundamental_StatusTypeUnexpected);
  EXPECT_STREQ(text, "Backplane says hello.");
  EXPECT_EQ(api_.getStatusDesc(0x12345, nullptr, 0), Korvane_Fundamental_StatusTypeUnexpected);
}

bool OnGrid(double value, double steps_per_unit) {
  const double scaled = value * steps_per_unit;
  return std::fabs(scaled - std::round(scaled)) < 1e-6;
}

TEST_F(ChassisValuesTest, LiveValuesArePlausibleAndQuantised) {
  for (uint32_t index = 0; index < kSensorCount; ++index) {
    double degrees = 0;
    ASSERT_EQ(api_.getTemperatureSensorValue(index, &degrees), 0);
    EXPECT_GE(degrees, 25.0);
    EXPECT_LE(degrees, 45.0);
    EXPECT_TRUE(OnGrid(degrees, 10)) << degrees;
  }
  const double nominal[] = {5.0, 3.3, -12.0, 12.0};
  for (int32_t rail = 0; rail < 4; ++rail) {
    double volts = 0;
    ASSERT_EQ(api_.getSupplyRailVoltage(static_cast<Korvane_Fundamental_VoltageRail>(rail), &volts),
              0);
    EXPECT_NEAR(volts, nominal[rail], std::fabs(nominal[rail]) * 0.005);
    EXPECT_TRUE(OnGrid(volts, 1000)) << volts;
  }
  for (uint32_t index = 1; index <= kFanCount; ++index) {
    uint32_t rpm = 0;
    ASSERT_EQ(api_.getFanSpeed(index, &rpm), 0);
    EXPECT_GE(rpm, 1900u);
    EXPECT_LE(rpm, 4100u);
  }
}

TEST_F(ChassisValuesTest, FansFollowTemperatureSetpointAndAutoControl) {
  SetClockFrozen(true);
  for (uint32_t position = 0; position < kSensorCount; ++position) SetTemperature(position, 40.0);
  auto rpm = [&] {
    uint32_t value = 0;
    EXPECT_EQ(api_.getFanSpeed(2, &value), 0);
    return value;
  };
  ASSERT_EQ(api_.setChassisThermostatSetpoint(70), 0);
  const uint32_t relaxed = rpm();
  ASSERT_EQ(api_.setChassisThermostatSetpoint(45), 0);
  const uint32_t busy = rpm();
  SetTemperature(3, 44.0);
  const uint32_t hotter = rpm();
  EXPECT_LT(relaxed, busy);
  EXPECT_LT(busy, hotter);
  SetFanAutoControl(false);
  uint16_t automatic = 7;
  ASSERT_EQ(api_.getFanAutoControlEnabled(&automatic), 0);
  EXPECT_EQ(automatic, 0);
  EXPECT_GE(rpm(), 3900u);
  SetFanSpeed(1, 1234);
  EXPECT_EQ(rpm(), 1234u);
}

TEST(SessionTest, HardwareOperationsNeedAnOpenSession) {
  ScopedReset reset;
  const uint32_t instances = InstanceCount();
  auto api = std::make_unique<Korvane_Fundamental_Api>();
  EXPECT_EQ(InstanceCount(), instances + 1);
  uint32_t value = 5;
  char text[256] = "kept";
  EXPECT_EQ(api->isInitialized(), 0);
  EXPECT_EQ(api->getFanSpeed(1, &value), kSessionNotOpen);
  EXPECT_EQ(api->getModelNumber(text, sizeof text), kSessionNotOpen);
  EXPECT_EQ(api->reset(1), kSessionNotOpen);
  EXPECT_EQ(api->ioClose(), kSessionNotOpen);
  EXPECT_EQ(value, 5u);
  EXPECT_STREQ(text, "kept");
  // Lookups of the library itself need no session.
  EXPECT_EQ(api->getStatusDesc(kSessionNotOpen, text, sizeof text),
            Korvane_Fundamental_StatusTypeVisa);
  EXPECT_EQ(api->mapSelfTestCodeToString(1001, text, sizeof text), 0);

  EXPECT_EQ(api->ioOpen("", nullptr), Korvane_Fundamental_StatusResourceNotFound);
  EXPECT_EQ(api->ioOpen(nullptr, nullptr), Korvane_Fundamental_StatusResourceNotFound);
  EXPECT_EQ(OpenSessionCount(), 0u);
  ASSERT_EQ(api->ioOpen("PXI0::0::INSTR", nullptr), 0);
  EXPECT_EQ(api->isInitialized(), 1);
  EXPECT_EQ(OpenSessionCount(), 1u);
  api.reset();  // destroyed while open: its session goes with it
  EXPECT_EQ(OpenSessionCount(), 0u);
  EXPECT_EQ(InstanceCount(), instances);
}

}  // namespace
}  // namespace korvane::virtual_chassis

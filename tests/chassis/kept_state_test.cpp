// Which resources the virtual chassis answers, and the state it keeps per
// resource between the processes that use it.
#include <filesystem>
#include <functional>
#include <string>

#include "tests/chassis/open_chassis.h"
#include "tests/support/environment.h"
#include "tests/support/temp_folder.h"

namespace korvane::virtual_chassis {
namespace {

using Api = Korvane_Fundamental_Api;

std::string Description(Api& api, int32_t status) {
  char text[1024] = "";
  api.getStatusDesc(status, text, sizeof text);
  return text;
}

TEST(ServedResourcesTest, OnlyTheResourcesTheSwitchNamesOpen) {
  testing::TempFolder folder;
  folder.Write("scenario.txt", "serial = S1\n");
  const OleString scenario = folder.File("scenario.txt");
  struct Case {
    const OLECHAR* served;
    const OLECHAR* scenario;
    const char* resource;
    bool opens;
  };
  const Case cases[] = {
      {OLESTR("1"), OLESTR(""), "PXI0::0::INSTR", true},
      {OLESTR("1"), OLESTR(""), "pxi0::0::instr", true},  // resource names ignore letter case
      {OLESTR("1"), OLESTR(""), "PXI0::9::INSTR", false},
      {OLESTR("0"), OLESTR(""), "PXI0::0::INSTR", false},
      {OLESTR(""), OLESTR(""), "PXI0::0::INSTR", false},
      {OLESTR(""), scenario.c_str(), "PXI0::0::INSTR", true},
      {OLESTR(""), scenario.c_str(), "PXI0::9::INSTR", false},
      {OLESTR(" PXI0::9::INSTR , PXI1::0::INSTR"), OLESTR(""), "PXI1::0::INSTR", true},
      {OLESTR(" PXI0::9::INSTR , PXI1::0::INSTR"), OLESTR(""), "PXI0::0::INSTR", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.resource) + " served by '" + OleToAnsi(c.served) + "'");
    testing::ScopedEnvironment served(kSwitchVariable, c.served);
    testing::ScopedEnvironment named(kScenarioVariable, c.scenario);
    ScopedReset reset;
    Api api;
    const int32_t status = api.ioOpen(c.resource, nullptr);
    EXPECT_EQ(api.isInitialized(), c.opens ? 1 : 0);
    if (c.opens) continue;
    EXPECT_EQ(status, kStatusNoChassis);
    const std::string why = Description(api, status);
    EXPECT_NE(why.find(std::string("No chassis answered at ") + c.resource + ". "),
              std::string::npos)
        << why;
    EXPECT_NE(why.find(kSwitchVariable), std::string::npos) << why;
  }
}

TEST(ScenarioTest, EveryResetPowersOnIntoTheScenarioAgain) {
  testing::TempFolder folder;
  folder.Write("scenario.txt", "inject getTimeSinceBoot = 0xBFFA000A\nserial = S1\n");
  {
    testing::ScopedEnvironment named(kScenarioVariable, folder.File("scenario.txt"));
    for (int reset = 0; reset < 2; ++reset) {
      Reset();
      Api api;
      ASSERT_EQ(api.ioOpen(kDefaultResource, nullptr), 0);
      uint32_t seconds = 0;
      EXPECT_EQ(api.getTimeSinceBoot(&seconds), Korvane_Fundamental_StatusControllerFault);
      char serial[16] = "";
      ASSERT_EQ(api.getSerialNumber(serial, sizeof serial), 0);
      EXPECT_STREQ(serial, "S1");
    }
  }
  Reset();  // without the scenario
}

constexpr char kFirst[] = "PXI0::0::INSTR";
constexpr char kSecond[] = "PXI0::9::INSTR";

std::filesystem::path StatePath(const char* resource) {
  std::string path(KeptStatePath(resource, nullptr, 0), '\0');
  KeptStatePath(resource, path.data(), static_cast<uint32_t>(path.size() + 1));
  return std::filesystem::u8path(path);
}

// Two served resources, each with a session.
class KeptStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(first_.ioOpen(kFirst, nullptr), 0);
    ASSERT_EQ(second_.ioOpen(kSecond, nullptr), 0);
  }
  // What another process leaves for the second resource: the first one's state.
  static void AnotherProcessWritesTheSecond() {
    std::filesystem::copy_file(StatePath(kFirst), StatePath(kSecond),
                               std::filesystem::copy_options::overwrite_existing);
  }

  testing::ScopedEnvironment served_{kSwitchVariable, OLESTR("PXI0::0::INSTR,PXI0::9::INSTR")};
  ScopedReset reset_;  // after the switch: it reads the switch
  Api first_;
  Api second_;
};

TEST_F(KeptStateTest, WhatAChassisKeepsReachesTheNextProcessOnThatResourceOnly) {
  // A change made on a session, and a reading of what it changed. A change by
  // the test control applies to the resource last used, so that one is used first.
  struct Case {
    const char* kept;
    std::function<void(Api&)> change;
    std::function<double(Api&)> read;
  };
  const auto u32 = [](auto getter) {
    return [getter](Api& api) {
      uint32_t value = 0;
      getter(api, &value);
      return static_cast<double>(value);
    };
  };
  const auto u16 = [](auto getter) {
    return [getter](Api& api) {
      uint16_t value = 7;
      getter(api, &value);
      return static_cast<double>(value);
    };
  };
  const Case cases[] = {
      {"trigger routing",
       [](Api& a) { a.setTriggerRouting(3, Korvane_Fundamental_TrigBus2To1And3); },
       [](Api& a) {
         Korvane_Fundamental_ValidTriggerRoutings routing{};
         a.getTriggerRouting(3, &routing);
         return static_cast<double>(routing);
       }},
      {"alarm enable", [](Api& a) { a.setAlarmEnable(Korvane_Fundamental_AlarmFanUnderspeed, 0); },
       u16([](Api& a, uint16_t* v) {
         a.getAlarmEnable(Korvane_Fundamental_AlarmFanUnderspeed, v);
       })},
      {"latched alarm",
       [](Api& a) {
         uint32_t seconds = 0;
         a.getTimeSinceBoot(&seconds);
         SetReferenceClockSource(Korvane_Fundamental_RefClockExternal);
       },
       u16([](Api& a, uint16_t* v) {
         a.getAlarmCondition(Korvane_Fundamental_AlarmRefClockChange, v);
       })},
      {"thermostat", [](Api& a) { a.setChassisThermostatSetpoint(61); },
       u32([](Api& a, uint32_t* v) { a.getChassisThermostatSetpoint(v, 0); })},
      {"over-temperature threshold", [](Api& a) { a.setOverTempAlarmThreshold(93); },
       u32([](Api& a, uint32_t* v) { a.getOverTempAlarmThreshold(v, 0); })},
      {"underspeed threshold", [](Api& a) { a.setFanUnderspeedAlarmThreshold(1234); },
       u32([](Api& a, uint32_t* v) { a.getFanUnderspeedAlarmThreshold(v, 0); })},
      {"rail threshold",
       [](Api& a) {
         a.setVoltageHiLowAlarmThreshold(Korvane_Fundamental_RailMinus12V,
                                         Korvane_Fundamental_ThresholdLow, -10.125);
       },
       [](Api& a) {
         double volts = 0;
         a.getVoltageHiLowAlarmThreshold(Korvane_Fundamental_RailMinus12V,
                                         Korvane_Fundamental_ThresholdLow, &volts, 0);
         return volts;
       }},
      {"fan control",
       [](Api& a) {
         uint32_t seconds = 0;
         a.getTimeSinceBoot(&seconds);
         SetFanAutoControl(false);
       },
       u16([](Api& a, uint16_t* v) { a.getFanAutoControlEnabled(v); })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kept);
    Reset();
    const double powerOn = c.read(second_);
    c.change(first_);
    const double changed = c.read(first_);
    ASSERT_NE(changed, powerOn);
    EXPECT_EQ(c.read(second_), powerOn);  // another resource, another chassis
    AnotherProcessWritesTheSecond();
    EXPECT_EQ(c.read(second_), changed);
  }
}

TEST_F(KeptStateTest, AResetStartsTheChassisAfresh) {
  ASSERT_EQ(first_.setTriggerRouting(5, Korvane_Fundamental_TrigBus1To2), 0);
  ASSERT_TRUE(std::filesystem::exists(StatePath(kFirst)));
  ASSERT_EQ(first_.reset(1), 0);  // the chassis's own reset restores its power-on routing
  Korvane_Fundamental_ValidTriggerRoutings routing{};
  ASSERT_EQ(first_.getTriggerRouting(5, &routing), 0);
  EXPECT_EQ(routing, Korvane_Fundamental_TrigIsolated);
  ASSERT_EQ(first_.setTriggerRouting(5, Korvane_Fundamental_TrigBus1To2), 0);
  Reset();  // the virtual chassis powers on afresh: nothing kept
  EXPECT_FALSE(std::filesystem::exists(StatePath(kFirst)));
  ASSERT_EQ(first_.getTriggerRouting(5, &routing), 0);
  EXPECT_EQ(routing, Korvane_Fundamental_TrigIsolated);
}

}  // namespace
}  // namespace korvane::virtual_chassis

// The scenario file: its alarms are spelt as korvane's outputs spell them
// (alarm_names.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "chassis/korvane_fundamental_api.h"
#include "standins/chassis/alarm_names.h"
#include "standins/chassis/virtual_chassis.h"
#include "tests/support/environment.h"
#include "tests/support/temp_folder.h"

namespace korvane::virtual_chassis {
namespace {

using Api = Korvane_Fundamental_Api;

// A virtual chassis powered on into the scenario file scenario.txt, with an
// open session.
class ScenarioFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    api_.reset();
    named_.reset();
    Reset();  // without the scenario
  }

  // Writes the scenario and powers the chassis on into it, with a session open.
  void PowerOnInto(const std::string& text) {
    Write(text);
    named_.emplace(kScenarioVariable, folder_.File("scenario.txt"));
    Reset();
    api_ = std::make_unique<Api>();
    ASSERT_EQ(api_->ioOpen(kDefaultResource, nullptr), 0);
  }

  std::filesystem::path Write(const std::string& text) {
    return folder_.Write("scenario.txt", text);
  }

  std::string Description(int32_t status) {
    char text[4096] = "";
    api_->getStatusDesc(status, text, sizeof text);
    return text;
  }

  testing::TempFolder folder_;
  std::optional<testing::ScopedEnvironment> named_;
  std::unique_ptr<Api> api_;
};

// Every alarm korvane names, as it names it, and the alarm source behind it.
std::vector<std::pair<std::string, Korvane_Fundamental_AlarmSource>> AlarmsByName() {
  const std::pair<const char*, Korvane_Fundamental_AlarmSource> rails[] = {
      {"VPLUS_3_3", Korvane_Fundamental_AlarmRailPlus3V3},
      {"VPLUS_5_0", Korvane_Fundamental_AlarmRailPlus5V},
      {"VPLUS_12_0", Korvane_Fundamental_AlarmRailPlus12V},
      {"VMINUS_12_0", Korvane_Fundamental_AlarmRailMinus12V}};
  std::vector<std::pair<std::string, Korvane_Fundamental_AlarmSource>> named;
  for (const auto& name : alarms::kAlarmNames) {
    switch (name.alarm) {
      case alarms::Alarm::kOverTemperature:
        named.emplace_back(alarms::MachineName(name.alarm),
                           Korvane_Fundamental_AlarmOverTemperature);
        break;
      case alarms::Alarm::kFanUnderspeed:
        named.emplace_back(alarms::MachineName(name.alarm), Korvane_Fundamental_AlarmFanUnderspeed);
        break;
      case alarms::Alarm::kReferenceClock:
        named.emplace_back(alarms::MachineName(name.alarm),
                           Korvane_Fundamental_AlarmRefClockChange);
        break;
      case alarms::Alarm::kRail:
        for (const auto& [rail, source] : rails)
          named.emplace_back(alarms::MachineName(name.alarm, rail), source);
        break;
    }
  }
  return named;
}

TEST_F(ScenarioFileTest, AnAlarmIsNamedAsKorvaneNamesIt) {
  const auto named = AlarmsByName();
  ASSERT_EQ(named.size(), 7u);
  for (const auto& [name, source] : named) {
    SCOPED_TRACE(name);
    PowerOnInto("alarm " + name + " = set\n");
    for (const auto& [other, other_source] : named) {
      uint16_t set = 7;
      ASSERT_EQ(api_->getAlarmCondition(other_source, &set), 0);
      EXPECT_EQ(set, other_source == source ? 1 : 0) << other;
    }
  }
}

TEST_F(ScenarioFileTest, AnyOtherAlarmNameIsAnErrorThatListsTheNames) {
  for (const char* name : {"over-temperature", "fan-underspeed", "reference-clock", "VPLUS_5_0",
                           "rail-VPLUS_5_0", "rail_VPLUS_9_9", "rail_", "Over_Temperature"}) {
    SCOPED_TRACE(name);
    Write(std::string("# old spellings\nalarm ") + name + " = set\n");
    named_.emplace(kScenarioVariable, folder_.File("scenario.txt"));
    Reset();
    api_ = std::make_unique<Api>();
    ASSERT_EQ(api_->ioOpen(kDefaultResource, nullptr), kStatusScenarioError);
    const std::string why = Description(kStatusScenarioError);
    EXPECT_NE(why.find(std::string("scenario.txt:2: '") + name + "' is no alarm; the alarms are "),
              std::string::npos)
        << why;
    for (const auto& [valid, source] : AlarmsByName())
      EXPECT_NE(why.find(valid), std::string::npos) << why;
  }
}

}  // namespace
}  // namespace korvane::virtual_chassis

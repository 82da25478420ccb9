// The scenario file: its alarms are spelt as korvane's outputs spell them
// (alarm_names.h), and a process follows the file as it changes.
#include <gtest/gtest.h>

#include <chrono>
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

constexpr int32_t kControllerFault = Korvane_Fundamental_StatusControllerFault;

// A virtual chassis powered on into the scenario file scenario.txt, with an
// open session; the test rewrites the file while the session stays open.
class ScenarioFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    api_.reset();
    named_.reset();
    Reset();  // without the scenario
  }

  // Powers the chassis on into scenario.txt as it is; the status of opening a session.
  int32_t PowerOn() {
    named_.emplace(kScenarioVariable, folder_.File("scenario.txt"));
    Reset();
    api_ = std::make_unique<Api>();
    return api_->ioOpen(kDefaultResource, nullptr);
  }
  // Writes the scenario and powers the chassis on into it, with a session open.
  void PowerOnInto(const std::string& text) {
    Write(text);
    ASSERT_EQ(PowerOn(), 0);
  }

  std::filesystem::path Write(const std::string& text) {
    return folder_.Write("scenario.txt", text);
  }
  std::filesystem::path Path() const { return folder_.fsPath() / "scenario.txt"; }

  int32_t FanSpeed(uint32_t* rpm) { return api_->getFanSpeed(api_->getFanMinIndex() + 1, rpm); }

  std::string Serial() {
    char serial[32] = "";
    return api_->getSerialNumber(serial, sizeof serial) == 0 ? serial : "(failed)";
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

TEST_F(ScenarioFileTest, AnInjectionTakenOutOfTheFileStopsFailingTheOpenSession) {
  PowerOnInto("inject getFanSpeed = 0xBFFA000A\nserial = S1\n");
  uint32_t rpm = 0;
  EXPECT_EQ(FanSpeed(&rpm), kControllerFault);
  Write("serial = S1\n");
  EXPECT_EQ(FanSpeed(&rpm), 0);
  EXPECT_GT(rpm, 0u);
  Write("serial = S1\ninject getFanSpeed = 0xBFFA000A\n");  // and back
  EXPECT_EQ(FanSpeed(&rpm), kControllerFault);
  // A new instance looks at the file before it is made.
  Write("inject Korvane_Fundamental_Api = 0xBFFA000A\n");
  EXPECT_THROW({ Api another; }, Korvane_Fundamental_ConstructionError);
  Write("serial = S1\n");
  EXPECT_NO_THROW({ Api another; });
}

TEST_F(ScenarioFileTest, TheChangedFilePowersTheChassisOnAgainIntoIt) {
  PowerOnInto("fan 2 = 450\nserial = S1\n");
  uint32_t rpm = 0;
  ASSERT_EQ(FanSpeed(&rpm), 0);
  EXPECT_EQ(rpm, 450u);
  Write("serial = S2\n");
  EXPECT_EQ(Serial(), "S2");
  ASSERT_EQ(FanSpeed(&rpm), 0);
  EXPECT_NE(rpm, 450u);  // no longer pinned: the fan runs as on a quiet chassis
  EXPECT_GT(rpm, 1900u);
}

TEST_F(ScenarioFileTest, ARewriteOfTheSameSizeAndTimeIsSeenWhileTheFileIsThatRecent) {
  // Two edits within the file system's timestamp granularity, an hour ahead of
  // the clock so that they are recent however long the test takes.
  const auto recent = std::filesystem::file_time_type::clock::now() + std::chrono::hours(1);
  std::filesystem::last_write_time(Write("fan 2 = 450\n"), recent);
  ASSERT_EQ(PowerOn(), 0);
  uint32_t rpm = 0;
  ASSERT_EQ(FanSpeed(&rpm), 0);
  ASSERT_EQ(rpm, 450u);
  std::filesystem::last_write_time(Write("fan 2 = 451\n"), recent);
  ASSERT_EQ(FanSpeed(&rpm), 0);
  EXPECT_EQ(rpm, 451u);
}

TEST_F(ScenarioFileTest, ASaveWithoutAnEditChangesNothing) {
  PowerOnInto("serial = S1\n");
  const auto path = Path();
  ASSERT_EQ(Serial(), "S1");
  SetText(Text::kSerialNumber, "set by the test");  // a power-on would undo it
  Write("serial = S1\n");
  std::filesystem::last_write_time(
      path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_EQ(Serial(), "set by the test");
}

TEST_F(ScenarioFileTest, TheOldScenariosInjectionsGoAndATestsOwnStay) {
  PowerOnInto("inject getFanSpeed = 0xBFFA000A\n");
  InjectResult(Operation::kGetTimeSinceBoot, kControllerFault, kAlways);
  Write("inject getSerialNumber = 0xBFFA000A\n");
  uint32_t value = 0;
  EXPECT_EQ(FanSpeed(&value), 0);
  EXPECT_EQ(api_->getTimeSinceBoot(&value), kControllerFault);
  EXPECT_EQ(Serial(), "(failed)");
}

TEST_F(ScenarioFileTest, AFileEditedIntoAnErrorFailsTheSessionWithItsLineUntilFixed) {
  PowerOnInto("serial = S1\n");
  Write("serial = S1\nalarm fan-underspeed = set\n");
  uint32_t rpm = 0;
  EXPECT_EQ(FanSpeed(&rpm), kStatusScenarioError);
  EXPECT_EQ(Serial(), "(failed)");
  const std::string why = Description(kStatusScenarioError);
  EXPECT_NE(why.find("scenario.txt:2: 'fan-underspeed' is no alarm; the alarms are "
                     "over_temperature, fan_underspeed,"),
            std::string::npos)
      << why;
  EXPECT_EQ(api_->isInitialized(), 1);  // the session stays open
  Api another;
  EXPECT_EQ(another.ioOpen(kDefaultResource, nullptr), kStatusScenarioError);  // none opens

  Write("serial = S2\n");
  EXPECT_EQ(Serial(), "S2");
  EXPECT_EQ(another.ioOpen(kDefaultResource, nullptr), 0);
  std::filesystem::remove(Path());
  EXPECT_EQ(Serial(), "(failed)");
  EXPECT_NE(Description(kStatusScenarioError).find("cannot be read: there is no such file"),
            std::string::npos);
  std::filesystem::create_directory(Path());  // unreadable in another way: it says so
  EXPECT_EQ(Serial(), "(failed)");
  EXPECT_NE(Description(kStatusScenarioError).find("is not a regular file"), std::string::npos);
}

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
    ASSERT_EQ(PowerOn(), kStatusScenarioError);
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

// The call record: every call on every instance, in order, with its arguments.
#include <functional>
#include <string>
#include <vector>

#include "tests/chassis/open_chassis.h"

namespace korvane::virtual_chassis {
namespace {

using Strings = std::vector<std::string>;

TEST(CallRecordTest, RecordsTheWholeLifeOfAnInstance) {
  ScopedReset reset;
  {
    Korvane_Fundamental_Api api;
    char text[256];
    EXPECT_EQ(api.getCtorFailed(), 0);
    EXPECT_EQ(api.ioOpen("PXI0::0::INSTR", nullptr), 0);
    EXPECT_EQ(api.isInitialized(), 1);
    EXPECT_EQ(api.getModelNumber(text, sizeof text), 0);
    EXPECT_EQ(api.getRevisionNumber(Korvane_Fundamental_RevisionFirmware, text, sizeof text), 0);
    EXPECT_EQ(api.getSerialNumber(text, sizeof text), 0);
    EXPECT_EQ(api.reset(1), 0);
    EXPECT_EQ(api.ioClose(), 0);
  }
  EXPECT_EQ(
      Calls(),
      (Strings{"Korvane_Fundamental_Api()", "getCtorFailed()", "ioOpen(\"PXI0::0::INSTR\", null)",
               "isInitialized()", "getModelNumber(&, 256)", "getRevisionNumber(9, &, 256)",
               "getSerialNumber(&, 256)", "reset(1)", "ioClose()", "~Korvane_Fundamental_Api()"}));
}

using CallTextTest = OpenChassis;

TEST_F(CallTextTest, WritesEachKindOfArgumentInItsOwnForm) {
  struct Case {
    std::function<void(Korvane_Fundamental_Api&)> call;
    const char* expected;
  };
  char text[256];
  uint32_t u32 = 0;
  double real = 0;
  int32_t count = 0;
  int32_t codes[Korvane_Fundamental_MaxSelfTestCodes];
  const Case cases[] = {
      {[&](auto& a) { a.getStatusDesc(Korvane_Fundamental_StatusInvalidValue, text, 256); },
       "getStatusDesc(0xbffa0001, &, 256)"},
      {[&](auto& a) { a.getStatusDesc(10, nullptr, 0); }, "getStatusDesc(0x0000000a, null, 0)"},
      {[&](auto& a) {
         a.setVoltageHiLowAlarmThreshold(Korvane_Fundamental_RailMinus12V, 0, -12.6);
       },
       "setVoltageHiLowAlarmThreshold(2, 0, -12.6)"},
      {[&](auto& a) { a.setVoltageHiLowAlarmThreshold(Korvane_Fundamental_RailPlus3V3, 1, 3.135); },
       "setVoltageHiLowAlarmThreshold(1, 1, 3.135)"},
      {[&](auto& a) {
         a.getVoltageHiLowAlarmThreshold(Korvane_Fundamental_RailPlus3V3, 1, &real, 0);
       },
       "getVoltageHiLowAlarmThreshold(1, 1, &, 0)"},
      {[&](auto& a) { a.getOverTempAlarmThreshold(&u32, 0); }, "getOverTempAlarmThreshold(&, 0)"},
      {[&](auto& a) { a.getFanSpeed(4294967295u, nullptr); }, "getFanSpeed(4294967295, null)"},
      {[&](auto& a) { a.setTriggerRouting(7, Korvane_Fundamental_TrigBus1To2To3); },
       "setTriggerRouting(7, 5)"},
      {[&](auto& a) { a.setAlarmEnable(Korvane_Fundamental_AlarmRefClockChange, 1); },
       "setAlarmEnable(8, 1)"},
      {[&](auto& a) { a.selfTest(&count, codes); }, "selfTest(&, &)"},
      {[&](auto& a) { a.mapSelfTestCodeToString(-3, text, 256); },
       "mapSelfTestCodeToString(-3, &, 256)"},
      {[&](auto& a) { a.ioOpen(nullptr, &u32); }, "ioOpen(null, &)"},
      {[&](auto& a) { a.getTemperatureSensorMinIndex(); }, "getTemperatureSensorMinIndex()"},
  };
  for (const Case& c : cases) {
    ClearCalls();
    c.call(api_);
    EXPECT_EQ(Calls(), Strings{c.expected});
  }
}

TEST_F(CallTextTest, KeepsTheOrderOfCallsAcrossInstances) {
  Korvane_Fundamental_Api second;
  uint32_t rpm = 0;
  api_.getFanSpeed(2, &rpm);
  second.getFanSpeed(3, &rpm);
  api_.clearAlarmCondition(Korvane_Fundamental_AlarmOverTemperature);
  EXPECT_EQ(Calls(), (Strings{"Korvane_Fundamental_Api()", "getFanSpeed(2, &)", "getFanSpeed(3, &)",
                              "clearAlarmCondition(1)"}));
}

TEST_F(CallTextTest, ClearingAndPausingTheRecord) {
  api_.getFanMinIndex();
  ClearCalls();
  EXPECT_EQ(CallCount(), 0u);
  SetRecording(false);
  api_.getFanMinIndex();
  EXPECT_EQ(CallCount(), 0u);
  SetRecording(true);
  api_.getFanMinIndex();
  EXPECT_EQ(Calls(), Strings{"getFanMinIndex()"});
}

TEST_F(CallTextTest, CallTextTruncatesAndReportsTheFullLength) {
  api_.getFanMinIndex();  // "getFanMinIndex()": 16 characters
  char small[5] = "xxxx";
  EXPECT_EQ(CallText(0, small, sizeof small), 16u);
  EXPECT_STREQ(small, "getF");
  EXPECT_EQ(CallText(0, nullptr, 0), 16u);
  EXPECT_EQ(CallText(1, small, sizeof small), 0u);
}

}  // namespace
}  // namespace korvane::virtual_chassis

// Injected results reach the caller exactly as injected, for every operation,
// without side effects, once or for good.
#include <cstring>
#include <string>

#include "tests/chassis/open_chassis.h"

namespace korvane::virtual_chassis {
namespace {

// Out values preset to marks that no real answer produces.
struct Outs {
  uint32_t u32 = 0xA5A5A5A5u;
  uint16_t u16 = 0xA5A5;
  double real = -777.25;
  int32_t count = -5;
  int32_t codes[Korvane_Fundamental_MaxSelfTestCodes] = {-5};
  char text[16] = "untouched";
  Korvane_Fundamental_RefClockSource clock = static_cast<Korvane_Fundamental_RefClockSource>(55);
  Korvane_Fundamental_ValidTriggerRoutings routing =
      static_cast<Korvane_Fundamental_ValidTriggerRoutings>(55);

  bool Untouched() const {
    const Outs fresh;
    return u32 == fresh.u32 && u16 == fresh.u16 && real == fresh.real && count == fresh.count &&
           codes[0] == fresh.codes[0] && std::strcmp(text, fresh.text) == 0 &&
           clock == fresh.clock && routing == fresh.routing;
  }
};

struct Case {
  Operation op;
  int32_t (*call)(Korvane_Fundamental_Api&, Outs&);
  int32_t injected;  // for operations without a status: a value they cannot answer by themselves
};

using Api = Korvane_Fundamental_Api;
constexpr int32_t kStatus = static_cast<int32_t>(0xBFFA0777u);

const Case kCases[] = {
    {Operation::kGetCtorFailed, [](Api& a, Outs&) { return a.getCtorFailed(); }, 3},
    {Operation::kIsInitialized, [](Api& a, Outs&) -> int32_t { return a.isInitialized(); }, 0},
    {Operation::kIoClose, [](Api& a, Outs&) { return a.ioClose(); }, kStatus},
    {Operation::kGetModelNumber, [](Api& a, Outs& o) { return a.getModelNumber(o.text, 16); },
     kStatus},
    {Operation::kGetRevisionNumber,
     [](Api& a, Outs& o) {
       return a.getRevisionNumber(Korvane_Fundamental_RevisionFirmware, o.text, 16);
     },
     kStatus},
    {Operation::kGetSerialNumber, [](Api& a, Outs& o) { return a.getSerialNumber(o.text, 16); },
     kStatus},
    {Operation::kReset, [](Api& a, Outs&) { return a.reset(1); }, kStatus},
    {Operation::kSelfTest, [](Api& a, Outs& o) { return a.selfTest(&o.count, o.codes); }, kStatus},
    {Operation::kMapSelfTestCodeToString,
     [](Api& a, Outs& o) { return a.mapSelfTestCodeToString(1001, o.text, 16); }, kStatus},
    {Operation::kGetStatusDesc,
     [](Api& a, Outs& o) -> int32_t {
       return a.getStatusDesc(Korvane_Fundamental_StatusInvalidValue, o.text, 16);
     },
     Korvane_Fundamental_StatusTypeUnexpected},
    {Operation::kGetPCIeLinkTopology,
     [](Api& a, Outs& o) { return a.getPCIeLinkTopology(o.text, 16); }, kStatus},
    {Operation::kGetTimeSinceBoot, [](Api& a, Outs& o) { return a.getTimeSinceBoot(&o.u32); },
     kStatus},
    {Operation::kGetChassisThermostatSetpoint,
     [](Api& a, Outs& o) { return a.getChassisThermostatSetpoint(&o.u32, 0); }, kStatus},
    {Operation::kSetChassisThermostatSetpoint,
     [](Api& a, Outs&) { return a.setChassisThermostatSetpoint(40); }, kStatus},
    {Operation::kGetFanAutoControlEnabled,
     [](Api& a, Outs& o) { return a.getFanAutoControlEnabled(&o.u16); }, kStatus},
    {Operation::kGetOverTempAlarmThreshold,
     [](Api& a, Outs& o) { return a.getOverTempAlarmThreshold(&o.u32, 0); }, kStatus},
    {Operation::kSetOverTempAlarmThreshold,
     [](Api& a, Outs&) { return a.setOverTempAlarmThreshold(60); }, kStatus},
    {Operation::kGetFanUnderspeedAlarmThreshold,
     [](Api& a, Outs& o) { return a.getFanUnderspeedAlarmThreshold(&o.u32, 0); }, kStatus},
    {Operation::kSetFanUnderspeedAlarmThreshold,
     [](Api& a, Outs&) { return a.setFanUnderspeedAlarmThreshold(900); }, kStatus},
    {Operation::kGetChassisReferenceClockSource,
     [](Api& a, Outs& o) { return a.getChassisReferenceClockSource(&o.clock); }, kStatus},
    {Operation::kGetTriggerRouting,
     [](Api& a, Outs& o) { return a.getTriggerRouting(3, &o.routing); }, kStatus},
    {Operation::kSetTriggerRouting,
     [](Api& a, Outs&) { return a.setTriggerRouting(3, Korvane_Fundamental_TrigBus2To3); },
     kStatus},
    {Operation::kSetTriggerRoutingAllDisconnected,
     [](Api& a, Outs&) { return a.setTriggerRoutingAllDisconnected(); }, kStatus},
    {Operation::kSetTriggerRoutingToStaticDefaults,
     [](Api& a, Outs&) { return a.setTriggerRoutingToStaticDefaults(); }, kStatus},
    {Operation::kClearAlarmCondition,
     [](Api& a, Outs&) { return a.clearAlarmCondition(Korvane_Fundamental_AlarmFanUnderspeed); },
     kStatus},
    {Operation::kGetAlarmCondition,
     [](Api& a, Outs& o) {
       return a.getAlarmCondition(Korvane_Fundamental_AlarmRefClockChange, &o.u16);
     },
     kStatus},
    {Operation::kGetAlarmEnable,
     [](Api& a, Outs& o) { return a.getAlarmEnable(Korvane_Fundamental_AlarmRailPlus5V, &o.u16); },
     kStatus},
    {Operation::kSetAlarmEnable,
     [](Api& a, Outs&) { return a.setAlarmEnable(Korvane_Fundamental_AlarmRailPlus5V, 0); },
     kStatus},
    {Operation::kGetFanMinIndex,
     [](Api& a, Outs&) { return static_cast<int32_t>(a.getFanMinIndex()); }, 77},
    {Operation::kGetTemperatureSensorMinIndex,
     [](Api& a, Outs&) { return static_cast<int32_t>(a.getTemperatureSensorMinIndex()); }, 78},
    {Operation::kGetFanSpeed, [](Api& a, Outs& o) { return a.getFanSpeed(1, &o.u32); }, kStatus},
    {Operation::kGetTemperatureSensorValue,
     [](Api& a, Outs& o) { return a.getTemperatureSensorValue(0, &o.real); }, kStatus},
    {Operation::kGetSupplyRailVoltage,
     [](Api& a, Outs& o) {
       return a.getSupplyRailVoltage(Korvane_Fundamental_RailPlus12V, &o.real);
     },
     kStatus},
    {Operation::kGetVoltageHiLowAlarmThreshold,
     [](Api& a, Outs& o) {
       return a.getVoltageHiLowAlarmThreshold(Korvane_Fundamental_RailMinus12V, 1, &o.real, 0);
     },
     kStatus},
    {Operation::kSetVoltageHiLowAlarmThreshold,
     [](Api& a, Outs&) {
       return a.setVoltageHiLowAlarmThreshold(Korvane_Fundamental_RailPlus5V, 0, 5.5);
     },
     kStatus},
};

using InjectedResultTest = OpenChassis;

TEST_F(InjectedResultTest, EveryOperationAnswersItsInjectedResultOnceAndChangesNothing) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(OperationName(c.op));
    Reset();
    ASSERT_EQ(api_.ioOpen("PXI0::0::INSTR", nullptr), 0);
    Outs reference;
    const int32_t normal = c.call(api_, reference);  // what the chassis answers by itself
    ASSERT_NE(normal, c.injected);

    Reset();
    ASSERT_EQ(api_.ioOpen("PXI0::0::INSTR", nullptr), 0);  // the reference call may have closed it
    InjectResult(c.op, c.injected);
    ClearCalls();
    Outs outs;
    EXPECT_EQ(c.call(api_, outs), c.injected);
    EXPECT_TRUE(outs.Untouched());
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].rfind(std::string(OperationName(c.op)) + "(", 0), 0u) << Calls()[0];
    // The injected call did nothing: the session is still open and the next call is the chassis's.
    EXPECT_EQ(api_.isInitialized(), 1);
    Outs again;
    EXPECT_EQ(c.call(api_, again), normal);
  }
}

TEST_F(InjectedResultTest, CountedAndPersistentInjectionsLastAsLongAsAsked) {
  for (const int32_t times : {2, kAlways}) {
    SCOPED_TRACE(times);
    Reset();
    InjectResult(Operation::kGetFanSpeed, kStatus, times);
    uint32_t rpm = 0;
    EXPECT_EQ(api_.getFanSpeed(1, &rpm), kStatus);
    EXPECT_EQ(api_.getFanSpeed(1, &rpm), kStatus);
    EXPECT_EQ(api_.getFanSpeed(1, &rpm) == kStatus, times == kAlways);
    ClearInjectedResults();
    EXPECT_EQ(api_.getFanSpeed(1, &rpm), 0);
  }
}

TEST_F(InjectedResultTest, InjectionByNameFindsTheOperationAndRefusesUnknownNames) {
  EXPECT_FALSE(InjectResult("getFanSpeeds", kStatus));
  ASSERT_TRUE(InjectResult("getTimeSinceBoot", kStatus));
  uint32_t seconds = 0;
  EXPECT_EQ(api_.getTimeSinceBoot(&seconds), kStatus);
  for (int32_t i = 0; i < static_cast<int32_t>(Operation::kCount); ++i) {
    Operation found{};
    ASSERT_TRUE(FindOperation(OperationName(static_cast<Operation>(i)), &found));
    EXPECT_EQ(static_cast<int32_t>(found), i);
  }
}

TEST(InjectedLifecycleTest, ConstructorThrowsTheInjectedStatusAndLeavesNoInstance) {
  ScopedReset reset;
  const uint32_t before = InstanceCount();
  InjectResult(Operation::kConstruct, 1234);
  try {
    Korvane_Fundamental_Api api;
    ADD_FAILURE() << "constructed";
  } catch (const Korvane_Fundamental_ConstructionError& error) {
    EXPECT_EQ(error.status, 1234);
  }
  EXPECT_EQ(InstanceCount(), before);
  EXPECT_EQ(Calls(), std::vector<std::string>{"Korvane_Fundamental_Api()"});
  Korvane_Fundamental_Api next;  // the injection was used up
  EXPECT_EQ(InstanceCount(), before + 1);
}

TEST(InjectedLifecycleTest, IoOpenFailureLeavesTheSessionClosed) {
  ScopedReset reset;
  Korvane_Fundamental_Api api;
  InjectResult(Operation::kIoOpen, Korvane_Fundamental_StatusResourceNotFound);
  uint32_t session = 99;
  EXPECT_EQ(api.ioOpen("PXI0::0::INSTR", &session), Korvane_Fundamental_StatusResourceNotFound);
  EXPECT_EQ(session, 99u);
  EXPECT_EQ(api.isInitialized(), 0);
  EXPECT_EQ(OpenSessionCount(), 0u);
  EXPECT_EQ(api.ioOpen("PXI0::0::INSTR", &session), 0);
  EXPECT_NE(session, 99u);
  EXPECT_EQ(OpenSessionCount(), 1u);
}

}  // namespace
}  // namespace korvane::virtual_chassis

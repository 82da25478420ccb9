// Every chassis member of the driver's faces, through its entry point: the
// one chassis call it makes, the method name under which it reports a
// chassis failure, "not initialized" without an open chassis, and no chassis
// call at all while simulating.

#include <functional>

#include "faces_fixture.h"

namespace korvane::testing {
namespace {

using Op = vc::Operation;

struct ChassisMemberCase {
  const char* name;
  Op operation;           // the chassis operation the member makes
  const char* call;       // its call record
  const OLECHAR* method;  // the method name of its reports
  std::function<HRESULT(const Faces&)> invoke;
};

template <class Face, class Value>
std::function<HRESULT(const Faces&)> Get(ComPtr<Face> Faces::*face,
                                         HRESULT (STDMETHODCALLTYPE Face::*getter)(Value*)) {
  return [face, getter](const Faces& faces) {
    Value value{};
    return ((faces.*face).Get()->*getter)(&value);
  };
}

template <class Face, class Value>
std::function<HRESULT(const Faces&)> Put(ComPtr<Face> Faces::*face,
                                         HRESULT (STDMETHODCALLTYPE Face::*setter)(Value),
                                         Value value) {
  return
      [face, setter, value](const Faces& faces) { return ((faces.*face).Get()->*setter)(value); };
}

template <class Face>
std::function<HRESULT(const Faces&)> Call(ComPtr<Face> Faces::*face,
                                          HRESULT (STDMETHODCALLTYPE Face::*method)()) {
  return [face, method](const Faces& faces) { return ((faces.*face).Get()->*method)(); };
}

const std::vector<ChassisMemberCase>& ChassisMembers() {
  static const std::vector<ChassisMemberCase> cases = {
      {"PCIeLink", Op::kGetPCIeLinkTopology, "getPCIeLinkTopology(&, 256)", OLESTR("PCIeLink"),
       [](const Faces& f) {
         ScopedBstr text;
         return f.korvane->get_PCIeLink(text.Receive());
       }},
      {"Uptime", Op::kGetTimeSinceBoot, "getTimeSinceBoot(&)", OLESTR("System.Uptime"),
       Get(&Faces::system, &IKorvaneSystem::get_Uptime)},
      {"Source", Op::kGetChassisReferenceClockSource, "getChassisReferenceClockSource(&)",
       OLESTR("ReferenceClock.Source"), Get(&Faces::clock, &IKorvaneReferenceClock::get_Source)},
      {"ReferenceClock.Alarm.Clear", Op::kClearAlarmCondition, "clearAlarmCondition(8)",
       OLESTR("ReferenceClock.Alarm.Clear"),
       Call(&Faces::clockAlarm, &IKorvaneReferenceClockAlarm::Clear)},
      {"ReferenceClock.Alarm.Occurred", Op::kGetAlarmCondition, "getAlarmCondition(8, &)",
       OLESTR("ReferenceClock.Alarm.Occurred"),
       Get(&Faces::clockAlarm, &IKorvaneReferenceClockAlarm::get_Occurred)},
      {"ReferenceClock.Alarm.Enabled get", Op::kGetAlarmEnable, "getAlarmEnable(8, &)",
       OLESTR("ReferenceClock.Alarm.Enabled"),
       Get(&Faces::clockAlarm, &IKorvaneReferenceClockAlarm::get_Enabled)},
      {"ReferenceClock.Alarm.Enabled put true", Op::kSetAlarmEnable, "setAlarmEnable(8, 1)",
       OLESTR("ReferenceClock.Alarm.Enabled"),
       Put(&Faces::clockAlarm, &IKorvaneReferenceClockAlarm::put_Enabled, VARIANT_TRUE)},
      {"TemperatureSensors.Alarm.Clear", Op::kClearAlarmCondition, "clearAlarmCondition(1)",
       OLESTR("TemperatureSensors.Alarm.Clear"),
       Call(&Faces::temperatureAlarm, &IKorvaneTemperatureSensorsAlarm::Clear)},
      {"TemperatureSensors.Alarm.Occurred", Op::kGetAlarmCondition, "getAlarmCondition(1, &)",
       OLESTR("TemperatureSensors.Alarm.Occurred"),
       Get(&Faces::temperatureAlarm, &IKorvaneTemperatureSensorsAlarm::get_Occurred)},
      {"TemperatureSensors.Alarm.Enabled get", Op::kGetAlarmEnable, "getAlarmEnable(1, &)",
       OLESTR("TemperatureSensors.Alarm.Enabled"),
       Get(&Faces::temperatureAlarm, &IKorvaneTemperatureSensorsAlarm::get_Enabled)},
      {"TemperatureSensors.Alarm.Enabled put 2", Op::kSetAlarmEnable, "setAlarmEnable(1, 1)",
       OLESTR("TemperatureSensors.Alarm.Enabled"),
       Put(&Faces::temperatureAlarm, &IKorvaneTemperatureSensorsAlarm::put_Enabled,
           VARIANT_BOOL{2})},
      {"TemperatureSensors.Alarm.MaxTemp get", Op::kGetOverTempAlarmThreshold,
       "getOverTempAlarmThreshold(&, 0)", OLESTR("TemperatureSensors.Alarm.MaxTemp"),
       Get(&Faces::temperatureAlarm, &IKorvaneTemperatureSensorsAlarm::get_MaxTemp)},
      {"TemperatureSensors.Alarm.MaxTemp put", Op::kSetOverTempAlarmThreshold,
       "setOverTempAlarmThreshold(90)", OLESTR("TemperatureSensors.Alarm.MaxTemp"),
       Put(&Faces::temperatureAlarm, &IKorvaneTemperatureSensorsAlarm::put_MaxTemp, LONG{90})},
      {"Fans.Alarm.Clear", Op::kClearAlarmCondition, "clearAlarmCondition(2)",
       OLESTR("Fans.Alarm.Clear"), Call(&Faces::fanAlarm, &IKorvaneFansAlarm::Clear)},
      {"Fans.Alarm.Occurred", Op::kGetAlarmCondition, "getAlarmCondition(2, &)",
       OLESTR("Fans.Alarm.Occurred"), Get(&Faces::fanAlarm, &IKorvaneFansAlarm::get_Occurred)},
      {"Fans.Alarm.Enabled get", Op::kGetAlarmEnable, "getAlarmEnable(2, &)",
       OLESTR("Fans.Alarm.Enabled"), Get(&Faces::fanAlarm, &IKorvaneFansAlarm::get_Enabled)},
      {"Fans.Alarm.Enabled put false", Op::kSetAlarmEnable, "setAlarmEnable(2, 0)",
       OLESTR("Fans.Alarm.Enabled"),
       Put(&Faces::fanAlarm, &IKorvaneFansAlarm::put_Enabled, VARIANT_FALSE)},
      {"Fans.Alarm.MinRPM get", Op::kGetFanUnderspeedAlarmThreshold,
       "getFanUnderspeedAlarmThreshold(&, 0)", OLESTR("Fans.Alarm.MinRPM"),
       Get(&Faces::fanAlarm, &IKorvaneFansAlarm::get_MinRPM)},
      {"Fans.Alarm.MinRPM put", Op::kSetFanUnderspeedAlarmThreshold,
       "setFanUnderspeedAlarmThreshold(900)", OLESTR("Fans.Alarm.MinRPM"),
       Put(&Faces::fanAlarm, &IKorvaneFansAlarm::put_MinRPM, LONG{900})},
      {"Fans.Control.Auto", Op::kGetFanAutoControlEnabled, "getFanAutoControlEnabled(&)",
       OLESTR("Fans.Control.Auto"), Get(&Faces::fanControl, &IKorvaneFansControl::get_Auto)},
      {"Fans.Control.MaxRPMTemp get", Op::kGetChassisThermostatSetpoint,
       "getChassisThermostatSetpoint(&, 0)", OLESTR("Fans.Control.MaxRPMTemp"),
       Get(&Faces::fanControl, &IKorvaneFansControl::get_MaxRPMTemp)},
      {"Fans.Control.MaxRPMTemp put", Op::kSetChassisThermostatSetpoint,
       "setChassisThermostatSetpoint(30)", OLESTR("Fans.Control.MaxRPMTemp"),
       Put(&Faces::fanControl, &IKorvaneFansControl::put_MaxRPMTemp, LONG{30})},
      {"TriggerBus.Connect", Op::kSetTriggerRouting, "setTriggerRouting(2, 5)",
       OLESTR("TriggerBus.Connect"),
       [](const Faces& f) { return f.triggerBus->Connect(2, KorvaneTrigBus1To2To3); }},
      {"TriggerBus.DisconnectAll", Op::kSetTriggerRoutingAllDisconnected,
       "setTriggerRoutingAllDisconnected()", OLESTR("TriggerBus.DisconnectAll"),
       Call(&Faces::triggerBus, &IKorvaneTriggerBus::DisconnectAll)},
      {"TriggerBus.ConnectDefault", Op::kSetTriggerRoutingToStaticDefaults,
       "setTriggerRoutingToStaticDefaults()", OLESTR("TriggerBus.ConnectDefault"),
       Call(&Faces::triggerBus, &IKorvaneTriggerBus::ConnectDefault)},
      {"TriggerBus.Connection", Op::kGetTriggerRouting, "getTriggerRouting(4, &)",
       OLESTR("TriggerBus.Connection"),
       [](const Faces& f) {
         auto value = KorvaneTrigBusEnum{};
         return f.triggerBus->Connection(4, &value);
       }},
      {"Utility.Reset", Op::kReset, "reset(1)", OLESTR("Utility.Reset"),
       Call(&Faces::utility, &IIviDriverUtility::Reset)},
      {"Utility.Disable", Op::kReset, "reset(1)", OLESTR("Utility.Disable"),
       Call(&Faces::utility, &IIviDriverUtility::Disable)},
      {"Utility.ResetWithDefaults", Op::kReset, "reset(1)", OLESTR("Utility.ResetWithDefaults"),
       Call(&Faces::utility, &IIviDriverUtility::ResetWithDefaults)},
      {"Utility.SelfTest", Op::kSelfTest, "selfTest(&, &)", OLESTR("Utility_SelfTest"),
       [](const Faces& f) {
         LONG result = 0;
         ScopedBstr message;
         return f.utility->SelfTest(&result, message.Receive());
       }},
  };
  return cases;
}

using ChassisMembersTest = FacesTest;

TEST_F(ChassisMembersTest, EachMakesExactlyItsChassisCall) {
  StartHardware();
  for (const ChassisMemberCase& c : ChassisMembers()) {
    SCOPED_TRACE(c.name);
    vc::ClearCalls();
    EXPECT_EQ(S_OK, c.invoke(faces_));
    EXPECT_EQ(std::vector<std::string>{c.call}, ChassisCalls());
  }
}

TEST_F(ChassisMembersTest, EachReportsAChassisFailureUnderItsMethodName) {
  StartHardware();
  DescribeControllerFault();
  for (const ChassisMemberCase& c : ChassisMembers()) {
    SCOPED_TRACE(c.name);
    vc::InjectResult(c.operation, kControllerFault);
    EXPECT_EQ(E_KORVANE_CHASSIS_API, c.invoke(faces_));
    EXPECT_EQ(ControllerFaultText(c.method), TakeDescription());
  }
}

TEST_F(ChassisMembersTest, WithoutAnOpenChassisEachIsNotInitializedAndCallsNothing) {
  StartHardware();
  vc::InjectResult(Op::kIsInitialized, 0, vc::kAlways);
  for (const ChassisMemberCase& c : ChassisMembers()) {
    SCOPED_TRACE(c.name);
    vc::ClearCalls();
    EXPECT_EQ(E_IVI_NOT_INITIALIZED, c.invoke(faces_));
    EXPECT_EQ(OLESTR("Korvane: A connection to the instrument has not been established."),
              TakeDescription());
    EXPECT_TRUE(ChassisCalls().empty());
  }
  vc::ClearInjectedResults();
}

TEST_F(ChassisMembersTest, WhileSimulatingEachSucceedsWithoutTheChassis) {
  StartSimulated();
  for (const ChassisMemberCase& c : ChassisMembers()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(S_OK, c.invoke(faces_));
  }
  EXPECT_TRUE(vc::Calls().empty());
}

TEST_F(ChassisMembersTest, AHardwareSessionSwitchedToSimulationLeavesTheChassisAlone) {
  StartHardware();
  for (const ChassisMemberCase& c : ChassisMembers()) {
    SCOPED_TRACE(c.name);
    // Again each time: ResetWithDefaults returns the session to hardware.
    ASSERT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_TRUE));
    EXPECT_EQ(S_OK, c.invoke(faces_));
  }
  EXPECT_TRUE(vc::Calls().empty());
  EXPECT_EQ(1u, vc::OpenSessionCount());  // open but idle
}

}  // namespace
}  // namespace korvane::testing

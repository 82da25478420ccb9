#include "faces_fixture.h"

#include <algorithm>

namespace korvane::testing {

void FacesTest::SetUp() {
  DriverTest::SetUp();
  IUnknown* object = driver_.Get();
  faces_.korvane = QueryFace<IKorvane>(object);
  faces_.operation = QueryFace<IIviDriverOperation>(object);
  faces_.identity = QueryFace<IIviDriverIdentity>(object);
  faces_.utility = QueryFace<IIviDriverUtility>(object);
  faces_.system = QueryFace<IKorvaneSystem>(object);
  faces_.clock = QueryFace<IKorvaneReferenceClock>(object);
  faces_.clockAlarm = QueryFace<IKorvaneReferenceClockAlarm>(object);
  faces_.triggerBus = QueryFace<IKorvaneTriggerBus>(object);
  faces_.temperatureAlarm = QueryFace<IKorvaneTemperatureSensorsAlarm>(object);
  faces_.fanAlarm = QueryFace<IKorvaneFansAlarm>(object);
  faces_.fanControl = QueryFace<IKorvaneFansControl>(object);
  ASSERT_TRUE(faces_.korvane && faces_.operation && faces_.identity && faces_.utility &&
              faces_.system && faces_.clock && faces_.clockAlarm && faces_.triggerBus &&
              faces_.temperatureAlarm && faces_.fanAlarm && faces_.fanControl);
}

void FacesTest::TearDown() {
  faces_ = Faces{};  // the driver goes before COM is left
  DriverTest::TearDown();
}

void FacesTest::StartHardware(const OLECHAR* options) {
  ASSERT_EQ(S_OK, InitializeHardware(options));
  vc::ClearCalls();
}

void FacesTest::StartSimulated() {
  ASSERT_EQ(S_OK, InitializeSimulated());
  vc::ClearCalls();
}

std::vector<std::string> ChassisCalls() {
  std::vector<std::string> calls = vc::Calls();
  calls.erase(std::remove(calls.begin(), calls.end(), "isInitialized()"), calls.end());
  return calls;
}

OleString TakeDescription() {
  return TakeErrorInfo().description;
}

void DescribeControllerFault() {
  vc::SetStatusDescription(kControllerFault, Korvane_Fundamental_StatusTypeChassis,
                           "Controller fault");
}

OleString ControllerFaultText(const OLECHAR* method) {
  return OLESTR("Korvane: Chassis returned an error Controller fault (0xbffa000a): method ") +
         OleString(method);
}

}  // namespace korvane::testing

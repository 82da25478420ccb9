// IKorvaneSystem, the PCIe link and the reference clock with its alarm:
// simulated and chassis values, the clock source mapping, the trace switch;
// and the checks that the members make themselves, which the entry points
// would otherwise make first.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

#include "diag/call_frame.h"
#include "diag/member_record.h"
#include "faces_fixture.h"
#include "platform/critical_section.h"
#include "tests/support/temp_folder.h"

namespace korvane::testing {
namespace {

using SystemClockTest = FacesTest;

TEST_F(SystemClockTest, SimulatedValuesNeedNoChassis) {
  StartSimulated();
  ScopedBstr link;
  EXPECT_EQ(S_OK, faces_.korvane->get_PCIeLink(link.Receive()));
  EXPECT_EQ(OLESTR("1x8"), Text(link));
  ScopedBstr serial;
  EXPECT_EQ(S_OK, faces_.system->get_SerialNumber(serial.Receive()));
  EXPECT_EQ(OLESTR("0123456789"), Text(serial));
  double uptime = -1;
  EXPECT_EQ(S_OK, faces_.system->get_Uptime(&uptime));
  EXPECT_EQ(0.0, uptime);
  auto source = KorvaneRefClockSourceTimingModule;
  EXPECT_EQ(S_OK, faces_.clock->get_Source(&source));
  EXPECT_EQ(KorvaneRefClockSourceInternal, source);
  EXPECT_TRUE(vc::Calls().empty());
}

TEST_F(SystemClockTest, HardwareValuesComeFromTheChassis) {
  vc::SetText(vc::Text::kSerialNumber, "SN-0042");
  vc::SetText(vc::Text::kPCIeLinkTopology, "2x4");
  StartHardware();
  vc::SetClockFrozen(true);
  vc::SetUptime(4000000000u);  // the full unsigned range reaches the caller
  double uptime = -1;
  EXPECT_EQ(S_OK, faces_.system->get_Uptime(&uptime));
  EXPECT_EQ(4000000000.0, uptime);
  ScopedBstr link;
  EXPECT_EQ(S_OK, faces_.korvane->get_PCIeLink(link.Receive()));
  EXPECT_EQ(OLESTR("2x4"), Text(link));
  vc::ClearCalls();
  ScopedBstr serial;
  EXPECT_EQ(S_OK, faces_.system->get_SerialNumber(serial.Receive()));
  EXPECT_EQ(OLESTR("SN-0042"), Text(serial));
  EXPECT_TRUE(ChassisCalls().empty());  // read at Initialize
}

TEST_F(SystemClockTest, ClockSourcesMapAndOthersAreUnexpected) {
  struct Case {
    int32_t chassis;
    HRESULT status;
    KorvaneRefClockSourceEnum source;
  };
  const Case cases[] = {
      {1, S_OK, KorvaneRefClockSourceInternal},
      {2, S_OK, KorvaneRefClockSourceExternal},
      {3, S_OK, KorvaneRefClockSourceTimingModule},
      {0, E_IVI_UNEXPECTED_RESPONSE, KorvaneRefClockSourceInternal},
      {4, E_IVI_UNEXPECTED_RESPONSE, KorvaneRefClockSourceInternal},
      {-1, E_IVI_UNEXPECTED_RESPONSE, KorvaneRefClockSourceInternal},
  };
  StartHardware();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chassis);
    vc::SetReferenceClockSource(c.chassis);
    auto source = KorvaneRefClockSourceTimingModule;
    EXPECT_EQ(c.status, faces_.clock->get_Source(&source));
    EXPECT_EQ(c.source, source);  // emptied by the entry point when refused
    EXPECT_EQ(c.status == S_OK
                  ? OleString()
                  : OleString(OLESTR("Korvane: Unexpected response from the instrument.")),
              TakeDescription());
  }
}

TEST_F(SystemClockTest, TheReferenceClockAlarmLatchesAChangeAndReadsOne) {
  StartHardware();
  vc::SetReferenceClockSource(1);
  ASSERT_EQ(S_OK, faces_.clockAlarm->put_Enabled(VARIANT_TRUE));
  ASSERT_EQ(S_OK, faces_.clockAlarm->Clear());
  VARIANT_BOOL value = 5;
  EXPECT_EQ(S_OK, faces_.clockAlarm->get_Occurred(&value));
  EXPECT_EQ(0, value);
  vc::SetReferenceClockSource(2);
  EXPECT_EQ(S_OK, faces_.clockAlarm->get_Occurred(&value));
  EXPECT_EQ(1, value);  // as the chassis said it, not VARIANT_TRUE
  EXPECT_EQ(S_OK, faces_.clockAlarm->get_Enabled(&value));
  EXPECT_EQ(1, value);
  ASSERT_EQ(S_OK, faces_.clockAlarm->Clear());
  EXPECT_EQ(S_OK, faces_.clockAlarm->get_Occurred(&value));
  EXPECT_EQ(0, value);
}

TEST_F(SystemClockTest, TraceEnabledTwiceKeepsOneTraceFile) {
  namespace fs = std::filesystem;
  const TempFolder temp;
  const fs::path folder = temp.fsPath();
  const OleString options = OLESTR("Simulate=true, DriverSetup=TraceName=") + temp.File("calls");
  ASSERT_EQ(S_OK, Initialize(OLESTR(""), false, false, options.c_str()));

  VARIANT_BOOL enabled = 5;
  EXPECT_EQ(S_OK, faces_.system->get_TraceEnabled(&enabled));
  EXPECT_EQ(VARIANT_FALSE, enabled);
  ASSERT_EQ(S_OK, faces_.system->put_TraceEnabled(VARIANT_TRUE));
  EXPECT_EQ(S_OK, faces_.system->get_TraceEnabled(&enabled));
  EXPECT_EQ(VARIANT_TRUE, enabled);
  ScopedBstr serial;
  EXPECT_EQ(S_OK, faces_.system->get_SerialNumber(serial.Receive()));
  ASSERT_EQ(S_OK, faces_.system->put_TraceEnabled(VARIANT_TRUE));
  ASSERT_EQ(S_OK, faces_.system->put_TraceEnabled(VARIANT_FALSE));
  EXPECT_EQ(S_OK, faces_.system->get_TraceEnabled(&enabled));
  EXPECT_EQ(VARIANT_FALSE, enabled);
  ASSERT_EQ(S_OK, faces_.system->put_TraceEnabled(-1));
  double uptime = 0;
  EXPECT_EQ(S_OK, faces_.system->get_Uptime(&uptime));

  // The file is complete once the driver is gone.
  faces_ = Faces{};
  driver_.Reset();
  const std::vector<fs::path> files{fs::directory_iterator(folder), fs::directory_iterator()};
  ASSERT_EQ(1u, files.size());
  std::ifstream file(files[0], std::ios::binary);
  const std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  file.close();
  // Both records are in it: the second switch-on resumed the first file.
  EXPECT_NE(std::string::npos, content.find("\"get_SerialNumber\""));
  EXPECT_NE(std::string::npos, content.find("\"get_Uptime\""));
}

// The members check their out-pointers and their order of checks
// themselves; through a client's call the entry point checks the pointers
// first, so these call the implementations directly, inside a call frame as
// an entry point would.
class MemberChecksTest : public FacesTest {
 protected:
  HRESULT OnImplementation(const std::function<HRESULT(Korvane&)>& call) {
    static const MemberRecord record(IID_IKorvaneSystem, "IKorvaneSystem", "get_Uptime", "(val)",
                                     MemberFlags::None);
    CriticalSectionLock lock(Object().ObjectLock());
    CallFrame frame(&Object(), record.context());
    SetErrorInfo(0, nullptr);
    return call(Object());
  }
};

TEST_F(MemberChecksTest, NullPointersAreReportedWithTheMembersOwnNames) {
  struct Case {
    const char* method;
    const char* parameter;
    std::function<HRESULT(Korvane&)> call;
  };
  LONG code = 0;
  BSTR message = nullptr;
  const Case cases[] = {
      {"PCIeLink", "PCIeLink", [](Korvane& k) { return k.IKorvane_get_PCIeLink(nullptr); }},
      {"System.Uptime", "Uptime", [](Korvane& k) { return k.IKorvaneSystem_get_Uptime(nullptr); }},
      {"System_get_SelfTestErrorCount", "SelfTestErrorCount",
       [](Korvane& k) { return k.IKorvaneSystem_get_SelfTestErrorCount(nullptr); }},
      {"System_SelfTestErrorQuery", "ErrorCode",
       [](Korvane& k) { return k.IKorvaneSystem_SelfTestErrorQuery(nullptr, nullptr); }},
      {"System_SelfTestErrorQuery", "ErrorMessage",
       [&](Korvane& k) { return k.IKorvaneSystem_SelfTestErrorQuery(&code, nullptr); }},
      {"System_SelfTestErrorQuery", "ErrorCode",
       [&](Korvane& k) { return k.IKorvaneSystem_SelfTestErrorQuery(nullptr, &message); }},
      {"ReferenceClock.Source", "Source",
       [](Korvane& k) { return k.IKorvaneReferenceClock_get_Source(nullptr); }},
      {"ReferenceClock.Alarm.Occurred", "Occurred",
       [](Korvane& k) { return k.IKorvaneReferenceClockAlarm_get_Occurred(nullptr); }},
      {"ReferenceClock.Alarm.Enabled", "Enabled",
       [](Korvane& k) { return k.IKorvaneReferenceClockAlarm_get_Enabled(nullptr); }},
      {"TemperatureSensors.Alarm.Occurred", "Occurred",
       [](Korvane& k) { return k.IKorvaneTemperatureSensorsAlarm_get_Occurred(nullptr); }},
      {"TemperatureSensors.Alarm.Enabled", "Enabled",
       [](Korvane& k) { return k.IKorvaneTemperatureSensorsAlarm_get_Enabled(nullptr); }},
      {"TemperatureSensors.Alarm.MaxTemp", "MaxTemp",
       [](Korvane& k) { return k.IKorvaneTemperatureSensorsAlarm_get_MaxTemp(nullptr); }},
      {"Fans.Alarm.Occurred", "Occurred",
       [](Korvane& k) { return k.IKorvaneFansAlarm_get_Occurred(nullptr); }},
      {"Fans.Alarm.Enabled", "Enabled",
       [](Korvane& k) { return k.IKorvaneFansAlarm_get_Enabled(nullptr); }},
      {"Fans.Alarm.MinRPM", "MinRPM",
       [](Korvane& k) { return k.IKorvaneFansAlarm_get_MinRPM(nullptr); }},
      {"Fans.Control.Auto", "Auto",
       [](Korvane& k) { return k.IKorvaneFansControl_get_Auto(nullptr); }},
      {"Fans.Control.MaxRPMTemp", "MaxRPMTemp",
       [](Korvane& k) { return k.IKorvaneFansControl_get_MaxRPMTemp(nullptr); }},
      {"TriggerBus.Connection", "BusConfiguration",
       [](Korvane& k) { return k.IKorvaneTriggerBus_Connection(5, nullptr); }},
  };
  for (bool simulated : {false, true}) {
    if (simulated)
      ASSERT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_TRUE));
    else
      StartHardware();
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.method) + " " + c.parameter + (simulated ? " simulated" : ""));
      EXPECT_EQ(E_IVI_NULL_POINTER, OnImplementation(c.call));
      EXPECT_EQ(OLESTR("Korvane: Null pointer passed for method ") + AnsiToOle(c.method) +
                    OLESTR(", parameter ") + AnsiToOle(c.parameter) + OLESTR("."),
                TakeDescription());
    }
  }
  EXPECT_TRUE(ChassisCalls().empty());
}

TEST_F(MemberChecksTest, ConnectionChecksTheLineBeforeThePointer) {
  StartHardware();
  EXPECT_EQ(E_IVI_INVALID_VALUE, OnImplementation([](Korvane& k) {
              return k.IKorvaneTriggerBus_Connection(9, nullptr);
            }));
  EXPECT_EQ(OLESTR("Korvane: Invalid value (9) for method TriggerBus.Connection, parameter Trig."),
            TakeDescription());
}

TEST_F(MemberChecksTest, ARefusedOrFailedReadLeavesTheOutValueAlone) {
  StartHardware();
  auto source = KorvaneRefClockSourceExternal;
  vc::SetReferenceClockSource(4);
  EXPECT_EQ(E_IVI_UNEXPECTED_RESPONSE, OnImplementation([&](Korvane& k) {
              return k.IKorvaneReferenceClock_get_Source(&source);
            }));
  EXPECT_EQ(KorvaneRefClockSourceExternal, source);

  auto routing = KorvaneTrigBus3To2;
  vc::ForceTriggerRouting(0, 9);
  EXPECT_EQ(E_IVI_UNEXPECTED_RESPONSE, OnImplementation([&](Korvane& k) {
              return k.IKorvaneTriggerBus_Connection(0, &routing);
            }));
  EXPECT_EQ(KorvaneTrigBus3To2, routing);

  LONG degrees = -5;
  DescribeControllerFault();
  vc::InjectResult(vc::Operation::kGetOverTempAlarmThreshold, kControllerFault);
  EXPECT_EQ(E_KORVANE_CHASSIS_API, OnImplementation([&](Korvane& k) {
              return k.IKorvaneTemperatureSensorsAlarm_get_MaxTemp(&degrees);
            }));
  EXPECT_EQ(-5, degrees);
}

}  // namespace
}  // namespace korvane::testing

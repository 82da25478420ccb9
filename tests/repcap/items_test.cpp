// The members of the sensor, fan and rail items: their simulated answers,
// the chassis calls they make on hardware (at the chassis index counted from
// the chassis's own base index), and the chassis statuses they handle.

#include <algorithm>
#include <functional>

#include "repcap_fixture.h"

namespace korvane::testing {
namespace {

namespace vc = virtual_chassis;
using vc::Operation;

constexpr int32_t kControllerFault = static_cast<int32_t>(0xBFFA000Au);

struct RailCase {
  const OLECHAR* name;
  int32_t rail;   // the chassis library's rail number
  int32_t alarm;  // its alarm source
  double nominal;
  const char* nominalText;  // as the call record writes it
  double highThreshold;     // the chassis's and the simulation's defaults
  double lowThreshold;
};

const RailCase kRails[] = {
    {OLESTR("VPLUS_3_3"), 1, 4, 3.3, "3.3", 3.465, 3.135},
    {OLESTR("VPLUS_5_0"), 0, 3, 5.0, "5", 5.25, 4.75},
    {OLESTR("VPLUS_12_0"), 3, 6, 12.0, "12", 12.6, 11.4},
    {OLESTR("VMINUS_12_0"), 2, 5, -12.0, "-12", -12.6, -11.4},
};

using ItemTest = RepCapTest;

TEST_F(ItemTest, SimulatedItemsAnswerWithoutTheChassis) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  vc::ClearCalls();
  for (const OLECHAR* name : {OLESTR("TS1"), OLESTR("TS5"), OLESTR("TS8")}) {
    double degrees = 0;
    EXPECT_EQ(S_OK, Sensor(name)->get_Temperature(&degrees));
    EXPECT_EQ(25.0, degrees);
  }
  for (const OLECHAR* name : {OLESTR("FAN1"), OLESTR("FAN2"), OLESTR("FAN3")}) {
    LONG rpm = 0;
    EXPECT_EQ(S_OK, Fan(name)->get_RPM(&rpm));
    EXPECT_EQ(2000, rpm);
  }
  for (const RailCase& c : kRails) {
    SCOPED_TRACE(OleToAnsi(c.name));
    ComPtr<IKorvaneVoltageRail> rail = Rail(c.name);
    ComPtr<IKorvaneVoltageRailAlarm> alarm = RailAlarm(c.name);
    double volts = 0;
    EXPECT_EQ(S_OK, rail->get_Voltage(&volts));
    EXPECT_EQ(c.nominal, volts);
    EXPECT_EQ(S_OK, rail->get_ExpectedVoltage(&volts));
    EXPECT_EQ(c.nominal, volts);
    EXPECT_EQ(S_OK, alarm->get_MaxVoltage(&volts));
    EXPECT_EQ(c.highThreshold, volts);
    EXPECT_EQ(S_OK, alarm->get_MinVoltage(&volts));
    EXPECT_EQ(c.lowThreshold, volts);
    VARIANT_BOOL occurred = VARIANT_TRUE;
    EXPECT_EQ(S_OK, alarm->get_Occurred(&occurred));
    EXPECT_EQ(VARIANT_FALSE, occurred);
    EXPECT_EQ(S_OK, alarm->Clear());
  }
  EXPECT_EQ(std::vector<std::string>{}, vc::Calls());
}

TEST_F(ItemTest, SensorsAndFansReadAtTheChassisIndexAskedForOnEveryRead) {
  struct Case {
    bool fan;
    uint32_t base;
    const OLECHAR* name;
    uint32_t position;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {false,
       0,
       OLESTR("TS1"),
       0,
       {"isInitialized()", "getTemperatureSensorMinIndex()", "getTemperatureSensorValue(0, &)"}},
      {false,
       0,
       OLESTR("TS8"),
       7,
       {"isInitialized()", "getTemperatureSensorMinIndex()", "getTemperatureSensorValue(7, &)"}},
      {false,
       5,
       OLESTR("TS3"),
       2,
       {"isInitialized()", "getTemperatureSensorMinIndex()", "getTemperatureSensorValue(7, &)"}},
      {false,
       100,
       OLESTR("TS3"),
       2,
       {"isInitialized()", "getTemperatureSensorMinIndex()", "getTemperatureSensorValue(102, &)"}},
      {true, 1, OLESTR("FAN1"), 0, {"isInitialized()", "getFanMinIndex()", "getFanSpeed(1, &)"}},
      {true, 1, OLESTR("FAN3"), 2, {"isInitialized()", "getFanMinIndex()", "getFanSpeed(3, &)"}},
      {true, 0, OLESTR("FAN2"), 1, {"isInitialized()", "getFanMinIndex()", "getFanSpeed(1, &)"}},
      {true, 40, OLESTR("FAN2"), 1, {"isInitialized()", "getFanMinIndex()", "getFanSpeed(41, &)"}},
  };
  ASSERT_EQ(S_OK, InitializeHardware());
  ComPtr<IKorvaneTemperatureSensors> sensors = Face<IKorvaneTemperatureSensors>();
  for (const Case& c : cases) {
    SCOPED_TRACE(OleToAnsi(c.name) + " from base " + std::to_string(c.base));
    if (c.fan) {
      ComPtr<IKorvaneFan> fan = Fan(c.name);
      vc::SetFanMinIndex(c.base);
      vc::SetFanSpeed(c.position, 1234 + c.base);
      vc::ClearCalls();
      LONG rpm = 0;
      EXPECT_EQ(S_OK, fan->get_RPM(&rpm));
      EXPECT_EQ(static_cast<LONG>(1234 + c.base), rpm);
    } else {
      ComPtr<IKorvaneTemperatureSensor> sensor = Sensor(c.name);
      vc::SetTemperatureSensorMinIndex(c.base);
      vc::SetTemperature(c.position, 31.25 + c.base);
      vc::ClearCalls();
      double degrees = 0;
      EXPECT_EQ(S_OK, sensor->get_Temperature(&degrees));
      EXPECT_EQ(31.25 + c.base, degrees);
    }
    EXPECT_EQ(c.calls, vc::Calls());
  }
}

TEST_F(ItemTest, ChassisStatusesOfSensorAndFanReads) {
  vc::SetStatusDescription(kControllerFault, Korvane_Fundamental_StatusTypeChassis,
                           "Controller fault");
  ASSERT_EQ(S_OK, InitializeHardware());
  ComPtr<IKorvaneFan> fan2 = Fan(OLESTR("FAN2"));
  ComPtr<IKorvaneTemperatureSensor> ts8 = Sensor(OLESTR("TS8"));
  LONG rpm = 0;
  double degrees = 0;

  vc::SetFanPresent(1, false);
  vc::SetSensorPresent(7, false);
  ExpectError(kUnknownPhysicalIdentifier, IID_IKorvaneFan,
              OleString(kUnknownSelectorText) + OLESTR("\r\nFan.RPM"), fan2->get_RPM(&rpm));
  ExpectError(kUnknownPhysicalIdentifier, IID_IKorvaneTemperatureSensor,
              OleString(kUnknownSelectorText) + OLESTR("\r\nTemperatureSensor.Temperature"),
              ts8->get_Temperature(&degrees));
  LONG other = 0;
  EXPECT_EQ(S_OK, Fan(OLESTR("FAN1"))->get_RPM(&other));

  vc::InjectResult(Operation::kGetFanSpeed, kControllerFault);
  ExpectError(static_cast<HRESULT>(0x80044002), IID_IKorvaneFan,
              OLESTR("Korvane: Chassis returned an error Controller fault (0xbffa000a): method "
                     "Fan.RPM"),
              Fan(OLESTR("FAN3"))->get_RPM(&rpm));
  vc::InjectResult(Operation::kGetTemperatureSensorValue, kControllerFault);
  ExpectError(static_cast<HRESULT>(0x80044002), IID_IKorvaneTemperatureSensor,
              OLESTR("Korvane: Chassis returned an error Controller fault (0xbffa000a): method "
                     "TemperatureSensor.Temperature"),
              Sensor(OLESTR("TS1"))->get_Temperature(&degrees));
  EXPECT_EQ(0, rpm);  // failures write nothing
  EXPECT_EQ(0.0, degrees);
}

TEST_F(ItemTest, RailMembersUseTheRailsOwnChassisNumbers) {
  ASSERT_EQ(S_OK, InitializeHardware());
  for (const RailCase& c : kRails) {
    SCOPED_TRACE(OleToAnsi(c.name));
    const std::string rail = std::to_string(c.rail);
    const std::string alarm = std::to_string(c.alarm);
    ComPtr<IKorvaneVoltageRail> item = Rail(c.name);
    ComPtr<IKorvaneVoltageRailAlarm> alarmFace = RailAlarm(c.name);
    vc::SetRailVoltage(static_cast<Korvane_Fundamental_VoltageRail>(c.rail), c.nominal + 0.125);
    vc::ClearCalls();

    double volts = 0;
    EXPECT_EQ(S_OK, item->get_ExpectedVoltage(&volts));
    EXPECT_EQ(c.nominal, volts);
    EXPECT_EQ(S_OK, item->get_Voltage(&volts));
    EXPECT_EQ(c.nominal + 0.125, volts);
    EXPECT_EQ(S_OK, alarmFace->Clear());
    EXPECT_EQ(S_OK, alarmFace->put_Enabled(VARIANT_TRUE));
    VARIANT_BOOL flag = VARIANT_FALSE;
    EXPECT_EQ(S_OK, alarmFace->get_Enabled(&flag));
    EXPECT_EQ(1, flag);  // the chassis's 1, passed on unchanged
    EXPECT_EQ(S_OK, alarmFace->get_Occurred(&flag));
    EXPECT_EQ(0, flag);
    EXPECT_EQ(S_OK, alarmFace->get_MaxVoltage(&volts));
    EXPECT_EQ(c.highThreshold, volts);
    EXPECT_EQ(S_OK, alarmFace->put_MinVoltage(c.nominal));
    EXPECT_EQ(S_OK, alarmFace->get_MinVoltage(&volts));
    EXPECT_EQ(c.nominal, volts);

    // Each member tests the connection, then makes its one call.
    std::vector<std::string> expected;
    for (const std::string& call : {
             "getSupplyRailVoltage(" + rail + ", &)",
             "clearAlarmCondition(" + alarm + ")",
             "setAlarmEnable(" + alarm + ", 1)",
             "getAlarmEnable(" + alarm + ", &)",
             "getAlarmCondition(" + alarm + ", &)",
             "getVoltageHiLowAlarmThreshold(" + rail + ", 0, &, 0)",
             "setVoltageHiLowAlarmThreshold(" + rail + ", 1, " + c.nominalText + ")",
             "getVoltageHiLowAlarmThreshold(" + rail + ", 1, &, 0)",
         }) {
      expected.push_back("isInitialized()");
      expected.push_back(call);
    }
    EXPECT_EQ(expected, vc::Calls());
  }
}

TEST_F(ItemTest, RailChassisFailuresAreTranslatedUnderTheRailsMethodNames) {
  vc::SetStatusDescription(kControllerFault, Korvane_Fundamental_StatusTypeChassis, "Fault");
  ASSERT_EQ(S_OK, InitializeHardware());
  ComPtr<IKorvaneVoltageRail> rail = Rail(OLESTR("VPLUS_12_0"));
  ComPtr<IKorvaneVoltageRailAlarm> alarm = RailAlarm(OLESTR("VPLUS_12_0"));
  double volts = 0;
  VARIANT_BOOL flag = VARIANT_FALSE;
  struct Case {
    Operation operation;
    const char* method;
    const IID* interfaceId;
    std::function<HRESULT()> call;
  };
  const Case cases[] = {
      {Operation::kGetSupplyRailVoltage, "VoltageRail.Voltage", &IID_IKorvaneVoltageRail,
       [&] { return rail->get_Voltage(&volts); }},
      {Operation::kGetAlarmCondition, "VoltageRail.Alarm.Ocurred", &IID_IKorvaneVoltageRailAlarm,
       [&] { return alarm->get_Occurred(&flag); }},
      {Operation::kSetVoltageHiLowAlarmThreshold, "VoltageRail.Alarm.MaxVoltage",
       &IID_IKorvaneVoltageRailAlarm, [&] { return alarm->put_MaxVoltage(12.5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    vc::InjectResult(c.operation, kControllerFault);
    ExpectError(static_cast<HRESULT>(0x80044002), *c.interfaceId,
                OLESTR("Korvane: Chassis returned an error Fault (0xbffa000a): method ") +
                    AnsiToOle(c.method),
                c.call());
  }
}

TEST_F(ItemTest, ItemsAnswerForExactlyTheirOwnInterfaces) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  struct Case {
    const char* item;
    ComPtr<IUnknown> object;
    std::vector<const IID*> faces;
  };
  const std::vector<const IID*> all = {
      &IID_IKorvaneTemperatureSensor, &IID_IKorvaneFan,  &IID_IKorvaneVoltageRail,
      &IID_IKorvaneVoltageRailAlarm,  &IID_IKorvaneFans, &IID_IKorvane};
  const Case cases[] = {
      {"sensor", ComPtr<IUnknown>(Sensor(OLESTR("TS2")).Get()), {&IID_IKorvaneTemperatureSensor}},
      {"fan", ComPtr<IUnknown>(Fan(OLESTR("FAN2")).Get()), {&IID_IKorvaneFan}},
      {"rail",
       ComPtr<IUnknown>(Rail(OLESTR("VPLUS_12_0")).Get()),
       {&IID_IKorvaneVoltageRail, &IID_IKorvaneVoltageRailAlarm}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, c.object->QueryInterface(IID_ISupportErrorInfo, support.GetVoidAddressOf()));
    for (const IID* iid : all) {
      const bool own = std::find(c.faces.begin(), c.faces.end(), iid) != c.faces.end();
      ComPtr<IUnknown> face;
      EXPECT_EQ(own ? S_OK : E_NOINTERFACE,
                c.object->QueryInterface(*iid, face.GetVoidAddressOf()));
      EXPECT_EQ(own ? S_OK : S_FALSE, support->InterfaceSupportsErrorInfo(*iid));
      if (face) {
        EXPECT_TRUE(SameObject(face.Get(), c.object.Get()));
      }
    }
  }
}

}  // namespace
}  // namespace korvane::testing

// The rail alarm thresholds: the window each threshold must lie in, the
// chassis's own refusal, the simulated thresholds and their reset, and the
// simulated Enabled flag kept by each rail item.

#include "repcap_fixture.h"

namespace korvane::testing {
namespace {

namespace vc = virtual_chassis;
using vc::Operation;

struct WindowCase {
  const OLECHAR* rail;
  bool low;  // MinVoltage, else MaxVoltage
  double volts;
  const char* refusedAs;  // null: accepted; else the value as the message shows it
};

const WindowCase kWindowCases[] = {
    {OLESTR("VPLUS_5_0"), false, 5.0, nullptr},
    {OLESTR("VPLUS_5_0"), false, 6.25, nullptr},
    {OLESTR("VPLUS_5_0"), false, 6.26, "6.260"},
    {OLESTR("VPLUS_5_0"), false, 4.99, "4.990"},
    {OLESTR("VPLUS_5_0"), true, 5.0, nullptr},
    {OLESTR("VPLUS_5_0"), true, 3.75, nullptr},
    {OLESTR("VPLUS_5_0"), true, 3.74, "3.740"},
    {OLESTR("VPLUS_5_0"), true, 5.01, "5.010"},
    {OLESTR("VPLUS_3_3"), false, 4.125, nullptr},
    {OLESTR("VPLUS_3_3"), false, 4.13, "4.130"},
    {OLESTR("VPLUS_3_3"), true, 2.475, nullptr},
    {OLESTR("VPLUS_3_3"), true, 2.4749999999999996, nullptr},
    {OLESTR("VPLUS_3_3"), true, 2.47, "2.470"},
    {OLESTR("VPLUS_3_3"), true, 3.3, nullptr},
    {OLESTR("VPLUS_12_0"), false, 15.0, nullptr},
    {OLESTR("VPLUS_12_0"), false, 15.001, "15.001"},
    {OLESTR("VPLUS_12_0"), true, 9.0, nullptr},
    {OLESTR("VPLUS_12_0"), true, 8.99, "8.990"},
    {OLESTR("VMINUS_12_0"), false, -15.0, nullptr},
    {OLESTR("VMINUS_12_0"), false, -12.0, nullptr},
    {OLESTR("VMINUS_12_0"), false, -11.0, "-11.000"},
    {OLESTR("VMINUS_12_0"), false, -15.5, "-15.500"},
    {OLESTR("VMINUS_12_0"), true, -9.0, nullptr},
    {OLESTR("VMINUS_12_0"), true, -12.0, nullptr},
    {OLESTR("VMINUS_12_0"), true, -12.5, "-12.500"},
    {OLESTR("VMINUS_12_0"), true, -8.5, "-8.500"},
};

OleString RefusalText(bool low, const char* value) {
  const OleString member = low ? OLESTR("MinVoltage") : OLESTR("MaxVoltage");
  return OLESTR("Korvane: Invalid value (") + AnsiToOle(value) +
         OLESTR(") for method VoltageRail.Alarm.") + member + OLESTR(", parameter ") + member +
         OLESTR(".");
}

HRESULT PutThreshold(IKorvaneVoltageRailAlarm* alarm, bool low, double volts) {
  return low ? alarm->put_MinVoltage(volts) : alarm->put_MaxVoltage(volts);
}

double GetThreshold(IKorvaneVoltageRailAlarm* alarm, bool low) {
  double volts = 0;
  EXPECT_EQ(S_OK, low ? alarm->get_MinVoltage(&volts) : alarm->get_MaxVoltage(&volts));
  return volts;
}

using RailTest = RepCapTest;

TEST_F(RailTest, ThresholdsOutsideTheirWindowAreRefusedSimulatedAndOnHardware) {
  for (bool simulated : {true, false}) {
    SCOPED_TRACE(simulated ? "simulated" : "hardware");
    ASSERT_EQ(S_OK, simulated ? InitializeSimulated() : InitializeHardware());
    for (const WindowCase& c : kWindowCases) {
      SCOPED_TRACE(OleToAnsi(c.rail) + (c.low ? " Min " : " Max ") + std::to_string(c.volts));
      ComPtr<IKorvaneVoltageRailAlarm> alarm = RailAlarm(c.rail);
      const double before = GetThreshold(alarm.Get(), c.low);
      vc::ClearCalls();
      const HRESULT status = PutThreshold(alarm.Get(), c.low, c.volts);
      if (c.refusedAs == nullptr) {
        EXPECT_EQ(S_OK, status);
        EXPECT_EQ(c.volts, GetThreshold(alarm.Get(), c.low));
        // Connection test and set, connection test and get.
        EXPECT_EQ(simulated ? 0u : 4u, vc::Calls().size());
      } else {
        ExpectError(kInvalidValue, IID_IKorvaneVoltageRailAlarm, RefusalText(c.low, c.refusedAs),
                    status);
        EXPECT_EQ(std::vector<std::string>{}, vc::Calls());  // never sent
        EXPECT_EQ(before, GetThreshold(alarm.Get(), c.low));
      }
    }
    EXPECT_EQ(S_OK, driver_->Close());
  }
}

TEST_F(RailTest, ChassisRefusalIsAnInvalidValue) {
  ASSERT_EQ(S_OK, InitializeHardware());
  ComPtr<IKorvaneVoltageRailAlarm> alarm = RailAlarm(OLESTR("VPLUS_3_3"));
  vc::InjectResult(Operation::kSetVoltageHiLowAlarmThreshold,
                   Korvane_Fundamental_StatusThresholdRefused);
  ExpectError(kInvalidValue, IID_IKorvaneVoltageRailAlarm, RefusalText(false, "3.500"),
              alarm->put_MaxVoltage(3.5));
  EXPECT_EQ(3.465, GetThreshold(alarm.Get(), false));
  // A refusal for the other reason a chassis value is refused is translated.
  vc::SetStatusDescription(Korvane_Fundamental_StatusInvalidValue,
                           Korvane_Fundamental_StatusTypeChassis, "Invalid");
  vc::InjectResult(Operation::kSetVoltageHiLowAlarmThreshold,
                   Korvane_Fundamental_StatusInvalidValue);
  EXPECT_EQ(static_cast<HRESULT>(0x80044003), alarm->put_MinVoltage(3.2));
}

TEST_F(RailTest, SimulatedThresholdsAreSharedPerRailAndRestoredByAReset) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  ComPtr<IKorvaneVoltageRailAlarm> alarm = RailAlarm(OLESTR("VPLUS_5_0"));
  EXPECT_EQ(S_OK, alarm->put_MaxVoltage(6.0));
  EXPECT_EQ(S_OK, alarm->put_MinVoltage(4.0));
  EXPECT_EQ(3.465, GetThreshold(RailAlarm(OLESTR("VPLUS_3_3")).Get(), false));

  // Without a reset the values outlive the session.
  ASSERT_EQ(S_OK, driver_->Close());
  ASSERT_EQ(S_OK, InitializeSimulated());
  alarm = RailAlarm(OLESTR("VPLUS_5_0"));
  EXPECT_EQ(6.0, GetThreshold(alarm.Get(), false));
  EXPECT_EQ(4.0, GetThreshold(alarm.Get(), true));

  EXPECT_EQ(S_OK, Face<IIviDriverUtility>()->Reset());
  EXPECT_EQ(5.25, GetThreshold(alarm.Get(), false));
  EXPECT_EQ(4.75, GetThreshold(alarm.Get(), true));

  // So does the reset of an Initialize.
  EXPECT_EQ(S_OK, alarm->put_MaxVoltage(5.5));
  ASSERT_EQ(S_OK, driver_->Close());
  ASSERT_EQ(S_OK, Initialize(OLESTR(""), false, true, OLESTR("Simulate=true")));
  EXPECT_EQ(5.25, GetThreshold(RailAlarm(OLESTR("VPLUS_5_0")).Get(), false));
}

TEST_F(RailTest, SimulatedEnabledIsEachRailsOwnUntilAReset) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  ComPtr<IKorvaneVoltageRailAlarm> rail5 = RailAlarm(OLESTR("VPLUS_5_0"));
  ComPtr<IKorvaneVoltageRailAlarm> rail12 = RailAlarm(OLESTR("VPLUS_12_0"));
  auto enabled = [](IKorvaneVoltageRailAlarm* alarm) {
    VARIANT_BOOL value = 7;
    EXPECT_EQ(S_OK, alarm->get_Enabled(&value));
    return value;
  };
  vc::ClearCalls();
  EXPECT_EQ(VARIANT_TRUE, enabled(rail5.Get()));
  EXPECT_EQ(S_OK, rail5->put_Enabled(VARIANT_FALSE));
  EXPECT_EQ(VARIANT_FALSE, enabled(rail5.Get()));
  EXPECT_EQ(VARIANT_TRUE, enabled(rail12.Get()));
  EXPECT_EQ(S_OK, rail12->put_Enabled(5));  // stored as given
  EXPECT_EQ(5, enabled(rail12.Get()));
  EXPECT_EQ(std::vector<std::string>{}, vc::Calls());

  // The chassis reset forgets every item's cached value.
  EXPECT_EQ(S_OK, Face<IIviDriverUtility>()->Reset());
  EXPECT_EQ(VARIANT_TRUE, enabled(rail5.Get()));
  EXPECT_EQ(VARIANT_TRUE, enabled(rail12.Get()));
}

}  // namespace
}  // namespace korvane::testing

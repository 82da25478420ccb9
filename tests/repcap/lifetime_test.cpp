// Who keeps whom alive: the driver holds its items and each item holds its
// driver, yet a driver that its clients let go (closed or not) is freed, and
// an item that a client holds past its driver stays usable and safe.

#include "com/module_lock.h"
#include "repcap_fixture.h"

namespace korvane::testing {
namespace {

namespace vc = virtual_chassis;

// Live COM objects of the module (and class-factory locks, none here).
LONG LiveObjects() {
  return ModuleLockCount().load();
}

class LifetimeTest : public RepCapTest {
 protected:
  void SetUp() override {
    RepCapTest::SetUp();
    withoutDriver_ = LiveObjects() - 1;
  }

  // Takes a reference to one item of each interface, then lets them go.
  void TouchEveryKind() {
    LONG rpm = 0;
    double volts = 0;
    EXPECT_EQ(S_OK, Fan(OLESTR("FAN1"))->get_RPM(&rpm));
    EXPECT_EQ(S_OK, Sensor(OLESTR("TS1"))->get_Temperature(&volts));
    EXPECT_EQ(S_OK, RailAlarm(OLESTR("VPLUS_5_0"))->get_MaxVoltage(&volts));
  }

  LONG withoutDriver_ = 0;
};

TEST_F(LifetimeTest, ADriverReleasedWithoutCloseIsFreedWithItsItems) {
  for (bool simulated : {true, false}) {
    SCOPED_TRACE(simulated ? "simulated" : "hardware");
    if (!driver_) driver_ = CreateDriver();
    ASSERT_EQ(S_OK, simulated ? InitializeSimulated() : InitializeHardware());
    TouchEveryKind();
    EXPECT_EQ(withoutDriver_ + 1 + 8 + 3 + 4, LiveObjects());
    driver_.Reset();
    EXPECT_EQ(withoutDriver_, LiveObjects());
    EXPECT_EQ(0u, vc::InstanceCount());
    EXPECT_EQ(0u, vc::OpenSessionCount());
  }
}

TEST_F(LifetimeTest, AClosedDriverLetsGoOfItsItems) {
  ASSERT_EQ(S_OK, InitializeHardware());
  TouchEveryKind();
  ASSERT_EQ(S_OK, driver_->Close());
  EXPECT_EQ(withoutDriver_ + 1, LiveObjects());
  driver_.Reset();
  EXPECT_EQ(withoutDriver_, LiveObjects());
}

TEST_F(LifetimeTest, AnItemHeldPastItsDriverIsDetachedAndFreedLast) {
  ASSERT_EQ(S_OK, InitializeHardware());
  ComPtr<IKorvaneFan> fan = Fan(OLESTR("FAN2"));
  ComPtr<IKorvaneVoltageRailAlarm> alarm = RailAlarm(OLESTR("VMINUS_12_0"));
  driver_.Reset();

  // The driver and the items nobody holds are gone; the chassis is closed.
  EXPECT_EQ(withoutDriver_ + 2, LiveObjects());
  EXPECT_EQ(0u, vc::InstanceCount());
  LONG rpm = 0;
  ExpectError(kCannotRecover, IID_IKorvaneFan, kDetachedText, fan->get_RPM(&rpm));
  ExpectError(kCannotRecover, IID_IKorvaneVoltageRailAlarm, kDetachedText,
              alarm->put_MinVoltage(-10.0));
  ComPtr<ISupportErrorInfo> errorInfo;
  ASSERT_EQ(S_OK, fan->QueryInterface(IID_ISupportErrorInfo, errorInfo.GetVoidAddressOf()));
  EXPECT_EQ(S_OK, errorInfo->InterfaceSupportsErrorInfo(IID_IKorvaneFan));
  fan.Reset();
  errorInfo.Reset();
  EXPECT_EQ(withoutDriver_ + 1, LiveObjects());
  alarm.Reset();
  EXPECT_EQ(withoutDriver_, LiveObjects());
}

}  // namespace
}  // namespace korvane::testing

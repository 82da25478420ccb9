// The translation of chassis statuses into driver errors, called as a member
// calls it: inside an entry point of an initialized driver.

#include "com/com_object.h"
#include "diag/call_frame.h"
#include "driver/korvane.h"
#include "driver_fixture.h"

namespace korvane::testing {
namespace {

namespace vc = virtual_chassis;

class ChassisStatusTest : public DriverTest {
 protected:
  // The driver object behind the client's interface.
  Korvane& Object() { return *static_cast<Korvane*>(static_cast<IKorvane*>(driver_.Get())); }

  HRESULT Translate(int32_t status, const OLECHAR* method) {
    static const MemberRecord record(IID_IKorvaneSystem, "IKorvaneSystem", "get_Uptime", "(val)",
                                     MemberFlags::None);
    SetErrorInfo(0, nullptr);
    CallFrame frame(&Object(), record.context());
    return Object().TranslateChassisStatus(status, method);
  }
};

TEST_F(ChassisStatusTest, EveryRowOfTheTranslation) {
  struct Case {
    const char* name;
    int32_t status;
    Korvane_Fundamental_StatusCodeType statusClass;
    HRESULT expected;
    const OLECHAR* description;  // null: no error information
  };
  const auto s = [](uint32_t value) { return static_cast<int32_t>(value); };
  const Case cases[] = {
      {"status 0", 0, Korvane_Fundamental_StatusTypeChassis, S_OK, nullptr},
      {"class 0, first of the range", s(0xBFFA0001), Korvane_Fundamental_StatusTypeChassis,
       static_cast<HRESULT>(0x80044003),
       OLESTR("Korvane: Chassis returned an unexpected error code (0xbffa0001): method "
              "Fans.Alarm.Clear")},
      {"class 0, last of the range", s(0xBFFA0009), Korvane_Fundamental_StatusTypeChassis,
       static_cast<HRESULT>(0x80044003),
       OLESTR("Korvane: Chassis returned an unexpected error code (0xbffa0009): method "
              "Fans.Alarm.Clear")},
      {"class 0, above the range", s(0xBFFA000A), Korvane_Fundamental_StatusTypeChassis,
       static_cast<HRESULT>(0x80044002),
       OLESTR(
           "Korvane: Chassis returned an error Described (0xbffa000a): method Fans.Alarm.Clear")},
      {"class 0, below the range", s(0xBFFA0000), Korvane_Fundamental_StatusTypeChassis,
       static_cast<HRESULT>(0x80044002),
       OLESTR(
           "Korvane: Chassis returned an error Described (0xbffa0000): method Fans.Alarm.Clear")},
      {"class 1", s(0xBFFF0015), Korvane_Fundamental_StatusTypeVisa,
       static_cast<HRESULT>(0x80044001),
       OLESTR("Korvane: Chassis returned a VISA error Described (0xbfff0015): method "
              "Fans.Alarm.Clear")},
      {"class 3", 42, Korvane_Fundamental_StatusTypeUnexpected, static_cast<HRESULT>(0x80047059),
       OLESTR("Korvane: Unexpected response from the instrument.\r\nmethod:Fans.Alarm.Clear")},
      {"class 2", 42, Korvane_Fundamental_StatusTypeUnknown, static_cast<HRESULT>(0x80047059),
       OLESTR("Korvane: Unexpected response from the instrument.\r\nUnknown status code "
              "(0x0000002a), method: Fans.Alarm.Clear")},
      {"another class", 42, static_cast<Korvane_Fundamental_StatusCodeType>(7),
       static_cast<HRESULT>(0x80047059),
       OLESTR("Korvane: Unexpected response from the instrument.\r\nUnknown status code "
              "(0x0000002a), method: Fans.Alarm.Clear")},
  };
  ASSERT_EQ(S_OK, InitializeHardware());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vc::SetStatusDescription(c.status, c.statusClass, "Described");
    EXPECT_EQ(c.expected, Translate(c.status, OLESTR("Fans.Alarm.Clear")));
    ErrorRecord error = TakeErrorInfo();
    EXPECT_EQ(c.description != nullptr, error.present);
    if (c.description) {
      EXPECT_EQ(c.description, error.description);
    }
  }
}

TEST_F(ChassisStatusTest, SimulatingAnyStatusIsSuccess) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  EXPECT_EQ(S_OK, Translate(static_cast<int32_t>(0xBFFA000Au), OLESTR("System.Uptime")));
  EXPECT_FALSE(TakeErrorInfo().present);
}

TEST_F(ChassisStatusTest, NotConnectedIsNotInitializedWhateverTheClass) {
  vc::SetStatusDescription(42, Korvane_Fundamental_StatusTypeVisa, "Described");
  EXPECT_EQ(static_cast<HRESULT>(0x8004701D), Translate(42, OLESTR("System.Uptime")));
  EXPECT_EQ(OLESTR("Korvane: A connection to the instrument has not been established."),
            TakeErrorInfo().description);
}

}  // namespace
}  // namespace korvane::testing

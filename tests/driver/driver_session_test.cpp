// The driver session through its entry points: Initialize, get_Initialized
// and Close as a client calls them, every failure with its status, text and
// the state it leaves, on the virtual chassis.

#include <functional>

#include "driver_fixture.h"

namespace korvane::testing {
namespace {

namespace vc = virtual_chassis;
using vc::Operation;

constexpr HRESULT kInvalidValue = static_cast<HRESULT>(0x80047010);
constexpr HRESULT kBadOptionValue = static_cast<HRESULT>(0x8004704C);
constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x8004701D);
constexpr HRESULT kIdQueryFailed = static_cast<HRESULT>(0x8004705E);
constexpr HRESULT kAlreadyInitialized = static_cast<HRESULT>(0x80047061);
constexpr HRESULT kChassisApi = static_cast<HRESULT>(0x80044002);
constexpr HRESULT kNullPointer = static_cast<HRESULT>(0x80047058);
constexpr int32_t kControllerFault = static_cast<int32_t>(0xBFFA000Au);

const OLECHAR kNotConnectedText[] =
    OLESTR("Korvane: A connection to the instrument has not been established.");

struct InitializeCase {
  const char* name;
  std::function<void()> arrange;
  const OLECHAR* resource;
  bool idQuery;
  bool reset;
  const OLECHAR* options;
  HRESULT status;
  OleString description;
  bool initializedAfter;
  uint32_t instancesAfter;  // chassis access objects alive
  uint32_t sessionsAfter;   // chassis sessions open
};

class InitializeTableTest : public DriverTest {};

TEST_F(InitializeTableTest, EveryFailureHasItsStatusTextAndState) {
  const OLECHAR* hw = OLESTR("PXI0::0::INSTR");
  const std::vector<InitializeCase> cases = {
      {"null resource name", [] {}, nullptr, false, false, OLESTR(""), kInvalidValue,
       OLESTR("Korvane: Invalid value (0) for method Initialize, parameter ResourceName."), false,
       0, 0},
      {"option rejected", [] {}, hw, false, false, OLESTR("Simulate=yes"), kBadOptionValue,
       OLESTR("Korvane: The yes value in the option string is unknown."), false, 0, 0},
      {"interchange check", [] {}, hw, false, false, OLESTR("InterchangeCheck=true"),
       kBadOptionValue,
       OLESTR("Korvane: The True value in the option string is unknown.\r\n"
              "Interchange checking is not supported by the driver."),
       false, 0, 0},
      {"constructor throws", [] { vc::InjectResult(Operation::kConstruct, 7); }, hw, false, false,
       OLESTR(""), kNotInitialized,
       OleString(kNotConnectedText) + OLESTR("\r\nFailed to instantiate driver instance"), false, 0,
       0},
      {"constructed incompletely", [] { vc::InjectResult(Operation::kGetCtorFailed, 1); }, hw,
       false, false, OLESTR(""), kNotInitialized,
       OleString(kNotConnectedText) + OLESTR("\r\nDriver instance constructed incompletely"), false,
       0, 0},
      {"ioOpen fails",
       [] { vc::InjectResult(Operation::kIoOpen, static_cast<int32_t>(0xBFFF0011u)); }, hw, false,
       false, OLESTR(""), kNotInitialized,
       OleString(kNotConnectedText) + OLESTR("\r\nFailed to initialize fundamental driver"), false,
       0, 0},
      {"model query fails", [] { vc::InjectResult(Operation::kGetModelNumber, kControllerFault); },
       hw, false, false, OLESTR(""), kNotInitialized, kNotConnectedText, false, 0, 0},
      {"revision query fails",
       [] { vc::InjectResult(Operation::kGetRevisionNumber, kControllerFault); }, hw, false, false,
       OLESTR(""), kNotInitialized, kNotConnectedText, false, 0, 0},
      {"serial query fails",
       [] { vc::InjectResult(Operation::kGetSerialNumber, kControllerFault); }, hw, false, false,
       OLESTR(""), kNotInitialized, kNotConnectedText, false, 0, 0},
      {"model in lower case with IdQuery", [] { vc::SetText(vc::Text::kModel, "q7730a"); }, hw,
       true, false, OLESTR(""), kIdQueryFailed,
       OLESTR("Korvane: Instrument ID query failed.\r\nUnrecognized model: q7730a."), false, 0, 0},
      {"model in lower case without IdQuery", [] { vc::SetText(vc::Text::kModel, "q7730a"); }, hw,
       false, false, OLESTR(""), S_OK, OLESTR(""), true, 1, 1},
      {"reset at initialize fails",
       [] {
         vc::SetStatusDescription(kControllerFault, Korvane_Fundamental_StatusTypeChassis,
                                  "Controller fault");
         vc::InjectResult(Operation::kReset, kControllerFault);
       },
       hw, false, true, OLESTR(""), kChassisApi,
       OLESTR("Korvane: Chassis returned an error Controller fault (0xbffa000a): method "
              "Initialize"),
       true, 1, 1},
      {"simulated with IdQuery and reset", [] {}, OLESTR(""), true, true, OLESTR("Simulate=true"),
       S_OK, OLESTR(""), true, 1, 0},
  };
  for (const InitializeCase& c : cases) {
    SCOPED_TRACE(c.name);
    vc::Reset();
    driver_ = CreateDriver();
    c.arrange();
    EXPECT_EQ(c.status, Initialize(c.resource, c.idQuery, c.reset, c.options));
    ErrorRecord error = TakeErrorInfo();
    EXPECT_EQ(c.description, error.description);
    EXPECT_EQ(c.initializedAfter, Initialized());
    EXPECT_EQ(c.instancesAfter, vc::InstanceCount());
    EXPECT_EQ(c.sessionsAfter, vc::OpenSessionCount());
    if (c.initializedAfter) {
      EXPECT_EQ(S_OK, driver_->Close());
      EXPECT_EQ(0u, vc::InstanceCount());
    }
  }
}

TEST_F(DriverTest, InitializeTwiceFailsAndTheFirstSessionGoesOn) {
  ASSERT_EQ(S_OK, InitializeHardware());
  EXPECT_EQ(kAlreadyInitialized, InitializeHardware(OLESTR("Simulate=true")));
  EXPECT_EQ(OLESTR("Korvane: The driver is already initialized."), TakeErrorInfo().description);
  EXPECT_TRUE(Initialized());
  EXPECT_EQ(1u, vc::OpenSessionCount());
  EXPECT_EQ(S_OK, driver_->Close());
  EXPECT_EQ(0u, vc::OpenSessionCount());
}

TEST_F(DriverTest, CloseWhenNotInitializedFailsAndCloseTwiceToo) {
  EXPECT_EQ(kNotInitialized, driver_->Close());
  EXPECT_EQ(kNotConnectedText, TakeErrorInfo().description);
  ASSERT_EQ(S_OK, InitializeSimulated());
  EXPECT_EQ(S_OK, driver_->Close());
  EXPECT_EQ(kNotInitialized, driver_->Close());
  EXPECT_FALSE(Initialized());
}

TEST_F(DriverTest, SimulatedInitializeTouchesNothingButConstruction) {
  vc::ClearCalls();
  ASSERT_EQ(S_OK, Initialize(OLESTR(""), true, false, OLESTR("Simulate=true")));
  EXPECT_EQ((std::vector<std::string>{"Korvane_Fundamental_Api", "getCtorFailed"}),
            ChassisOperations());
  vc::ClearCalls();
  ASSERT_EQ(S_OK, driver_->Close());
  EXPECT_EQ((std::vector<std::string>{"~Korvane_Fundamental_Api"}), ChassisOperations());
}

TEST_F(DriverTest, HardwareInitializeOpensTheResourceAndCloseClosesIt) {
  vc::ClearCalls();
  ASSERT_EQ(S_OK, Initialize(OLESTR("PXI0::0::INSTR"), true, false, OLESTR("")));
  const std::vector<std::string> calls = vc::Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ("ioOpen(\"PXI0::0::INSTR\", null)", calls[2]);
  vc::ClearCalls();
  ASSERT_EQ(S_OK, driver_->Close());
  const std::vector<std::string> closing = ChassisOperations();
  EXPECT_NE(closing.end(), std::find(closing.begin(), closing.end(), "ioClose"));
  EXPECT_EQ("~Korvane_Fundamental_Api", closing.back());
}

TEST_F(DriverTest, ANewInitializeStartsFromTheOptionDefaults) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  ASSERT_EQ(S_OK, driver_->Close());
  vc::ClearCalls();
  // Simulate does not carry over: this session opens the chassis.
  ASSERT_EQ(S_OK, InitializeHardware());
  EXPECT_EQ(1u, vc::OpenSessionCount());
}

// Close empties the attribute cache: a setting the simulated session cached is gone when the
// driver is initialized again.
TEST_F(DriverTest, InitializeAfterCloseFindsTheAttributeCacheEmpty) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  ComPtr<IKorvaneFansAlarm> alarm;
  ASSERT_EQ(S_OK, driver_->QueryInterface(IID_IKorvaneFansAlarm, alarm.GetVoidAddressOf()));
  ASSERT_EQ(S_OK, alarm->put_Enabled(VARIANT_FALSE));
  VARIANT_BOOL enabled = VARIANT_TRUE;
  ASSERT_EQ(S_OK, alarm->get_Enabled(&enabled));
  ASSERT_EQ(VARIANT_FALSE, enabled);
  ASSERT_EQ(S_OK, driver_->Close());
  ASSERT_EQ(S_OK, InitializeSimulated());
  ASSERT_EQ(S_OK, alarm->get_Enabled(&enabled));
  EXPECT_EQ(VARIANT_TRUE, enabled);
}

TEST_F(DriverTest, NullOutPointerIsReportedWithMemberAndParameter) {
  EXPECT_EQ(kNullPointer, driver_->get_Initialized(nullptr));
  ErrorRecord error = TakeErrorInfo();
  EXPECT_EQ(OLESTR("Korvane: Null pointer passed for method get_Initialized, parameter val."),
            error.description);
  EXPECT_TRUE(IsEqualGUID(IID_IIviDriver, error.interfaceId));
}

}  // namespace
}  // namespace korvane::testing

// The self test and its error list: SelfTest fills the list, SelfTestErrorQuery
// takes it code by code in the order the chassis reported them,
// SelfTestErrorCount says how many are left.

#include <utility>

#include "faces_fixture.h"

namespace korvane::testing {
namespace {

// An in-out text as the caller passes it in, and its text as the call left
// it (freed here).
BSTR CallersText() {
  return ScopedBstr(OLESTR("caller's text")).Release();
}
OleString TakeText(BSTR text) {
  ScopedBstr owned;
  *owned.Receive() = text;
  return Text(owned);
}

class SelfTestTest : public FacesTest {
 protected:
  struct Outcome {
    HRESULT status;
    LONG result;
    OleString message;
  };
  // SelfTest with the caller's in-out values preset.
  Outcome RunSelfTest() {
    LONG result = -7;
    BSTR message = CallersText();
    const HRESULT status = faces_.utility->SelfTest(&result, &message);
    return {status, result, TakeText(message)};
  }
  struct Entry {
    HRESULT status;
    LONG code;
    OleString message;
  };
  Entry Query() {
    LONG code = -7;
    BSTR message = CallersText();
    const HRESULT status = faces_.system->SelfTestErrorQuery(&code, &message);
    return {status, code, TakeText(message)};
  }
  LONG UnreadCount() {
    LONG count = -1;
    EXPECT_EQ(S_OK, faces_.system->get_SelfTestErrorCount(&count));
    return count;
  }
  void ReportCodes(std::initializer_list<int32_t> codes) {
    vc::SetSelfTestCodes(codes.begin(), static_cast<int32_t>(codes.size()));
  }
};

TEST_F(SelfTestTest, AFailedHardwareSelfTestListsItsCodesInReportedOrder) {
  StartHardware();
  ReportCodes({4001, 1001, 2001});
  const Outcome outcome = RunSelfTest();
  EXPECT_EQ(S_OK, outcome.status);
  EXPECT_EQ(3, outcome.result);
  EXPECT_EQ(OLESTR("Self test failed"), outcome.message);
  EXPECT_EQ(3, UnreadCount());

  const std::pair<LONG, const OLECHAR*> expected[] = {
      {4001, OLESTR("Reference clock PLL not locked.")},
      {1001, OLESTR("Fan 1 tachometer signal missing.")},
      {2001, OLESTR("Temperature sensor bus not responding.")},
  };
  LONG left = 3;
  for (const auto& [code, text] : expected) {
    vc::ClearCalls();
    const Entry entry = Query();
    EXPECT_EQ(S_OK, entry.status);
    EXPECT_EQ(code, entry.code);
    EXPECT_EQ(text, entry.message);
    EXPECT_EQ(--left, UnreadCount());
    EXPECT_EQ(
        std::vector<std::string>{"mapSelfTestCodeToString(" + std::to_string(code) + ", &, 256)"},
        ChassisCalls());
  }
  vc::ClearCalls();
  const Entry none = Query();
  EXPECT_EQ(S_OK, none.status);
  EXPECT_EQ(0, none.code);
  EXPECT_EQ(OLESTR("No errors"), none.message);
  EXPECT_TRUE(ChassisCalls().empty());
}

TEST_F(SelfTestTest, APassedHardwareSelfTestEmptiesTheList) {
  StartHardware();
  ReportCodes({1001, 1002});
  ASSERT_EQ(2, RunSelfTest().result);
  ReportCodes({});
  const Outcome outcome = RunSelfTest();
  EXPECT_EQ(0, outcome.result);
  EXPECT_EQ(OLESTR("Self test passed"), outcome.message);
  EXPECT_EQ(0, UnreadCount());
}

TEST_F(SelfTestTest, ACodeTheChassisCannotNameIsConsumedAllTheSame) {
  StartHardware();
  ReportCodes({1001, 5001, 1003});
  ASSERT_EQ(3, RunSelfTest().result);
  DescribeControllerFault();
  vc::SetSelfTestCodeText(5001, "", kControllerFault);
  EXPECT_EQ(1001, Query().code);
  const Entry failed = Query();
  EXPECT_EQ(E_KORVANE_CHASSIS_API, failed.status);
  EXPECT_EQ(ControllerFaultText(OLESTR("System_SelfTestErrorQuery")), TakeDescription());
  EXPECT_EQ(-7, failed.code);  // the caller's values stay
  EXPECT_EQ(OLESTR("caller's text"), failed.message);
  EXPECT_EQ(1, UnreadCount());
  EXPECT_EQ(1003, Query().code);
}

TEST_F(SelfTestTest, AFailingSelfTestCallLeavesResultMessageAndListAlone) {
  StartHardware();
  ReportCodes({1002});
  ASSERT_EQ(1, RunSelfTest().result);
  DescribeControllerFault();
  vc::InjectResult(vc::Operation::kSelfTest, kControllerFault);
  const Outcome outcome = RunSelfTest();
  EXPECT_EQ(E_KORVANE_CHASSIS_API, outcome.status);
  EXPECT_EQ(ControllerFaultText(OLESTR("Utility_SelfTest")), TakeDescription());
  EXPECT_EQ(-7, outcome.result);
  EXPECT_EQ(OLESTR("caller's text"), outcome.message);
  EXPECT_EQ(1, UnreadCount());
}

TEST_F(SelfTestTest, WhileSimulatingTheSelfTestPassesAndEmptiesTheList) {
  StartHardware();
  ReportCodes({1001, 1002});
  ASSERT_EQ(2, RunSelfTest().result);
  ASSERT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_TRUE));
  const Outcome outcome = RunSelfTest();
  EXPECT_EQ(S_OK, outcome.status);
  EXPECT_EQ(0, outcome.result);
  EXPECT_EQ(OLESTR("Self test passed"), outcome.message);
  EXPECT_EQ(0, UnreadCount());
  const Entry entry = Query();
  EXPECT_EQ(0, entry.code);
  EXPECT_EQ(OLESTR("No errors"), entry.message);
  // Back on hardware the list is still empty.
  ASSERT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_FALSE));
  EXPECT_EQ(0, UnreadCount());
  EXPECT_EQ(0, Query().code);
}

TEST_F(SelfTestTest, WhileSimulatingTheQueryAnswersNoErrorsAndKeepsTheList) {
  StartHardware();
  ReportCodes({1001});
  ASSERT_EQ(1, RunSelfTest().result);
  ASSERT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_TRUE));
  const Entry entry = Query();
  EXPECT_EQ(S_OK, entry.status);
  EXPECT_EQ(0, entry.code);
  EXPECT_EQ(OLESTR("No errors"), entry.message);
  EXPECT_EQ(1, UnreadCount());
}

TEST_F(SelfTestTest, TheCountNeedsNoChassisButTheQueryDoes) {
  StartHardware();
  ReportCodes({1001, 1002});
  ASSERT_EQ(2, RunSelfTest().result);
  vc::InjectResult(vc::Operation::kIsInitialized, 0, vc::kAlways);
  EXPECT_EQ(2, UnreadCount());
  EXPECT_EQ(E_IVI_NOT_INITIALIZED, Query().status);
  EXPECT_EQ(2, UnreadCount());  // nothing taken
  double uptime = 0;
  EXPECT_EQ(E_IVI_NOT_INITIALIZED, faces_.system->get_Uptime(&uptime));
  vc::ClearInjectedResults();
  EXPECT_EQ(1001, Query().code);
}

TEST_F(SelfTestTest, TheListOutlivesClose) {
  StartHardware();
  ReportCodes({1003});
  ASSERT_EQ(1, RunSelfTest().result);
  ASSERT_EQ(S_OK, driver_->Close());
  StartHardware();
  EXPECT_EQ(1, UnreadCount());
  EXPECT_EQ(1003, Query().code);
}

}  // namespace
}  // namespace korvane::testing

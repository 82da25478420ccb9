// Sessions of the C face on the virtual chassis: a failed open leaves no session, no table entry
// and no driver object behind, wherever it fails.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "com/module.h"
#include "ivic/Korvane.h"
#include "standins/chassis/virtual_chassis.h"
#include "standins/ivi_session/ivi_session.h"

namespace korvane {
namespace {

namespace chassis = virtual_chassis;

// The next handle the session services would hand out (they count upwards).
ViSession NextHandle() {
  ViSession probe = VI_NULL;
  EXPECT_EQ(IviSession_New(&probe), VI_SUCCESS);
  IviSession_Dispose(probe);
  return probe + 1;
}

TEST(FailedOpen, LeavesNothingBehind) {
  struct Case {
    const char* name;
    const char* options;
    ViBoolean idQuery;
    void (*prepare)();
    ViStatus status;
    std::vector<std::string> calls;  // the chassis calls the open made, in order
  };
  const Case cases[] = {
      {"option refused before the chassis",
       "InterchangeCheck=true",
       VI_FALSE,
       [] {},
       IVI_ERROR_BAD_OPTION_VALUE,
       {}},
      {"chassis does not open",
       "",
       VI_FALSE,
       [] { chassis::InjectResult(chassis::Operation::kIoOpen, -1); },
       IVI_ERROR_NOT_INITIALIZED,
       {"Korvane_Fundamental_Api", "ioOpen", "~Korvane_Fundamental_Api"}},
      {"model refused after the chassis opened",
       "",
       VI_TRUE,
       [] { chassis::SetText(chassis::Text::kModel, "Q1234Z"); },
       IVI_ERROR_ID_QUERY_FAILED,
       {"Korvane_Fundamental_Api", "ioOpen", "ioClose", "~Korvane_Fundamental_Api"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const chassis::ScopedReset reset;
    c.prepare();
    const ViSession next = NextHandle();
    ViSession vi = 99;
    EXPECT_EQ(Korvane_InitWithOptions(const_cast<char*>("PXI0::0::INSTR"), c.idQuery, VI_FALSE,
                                      c.options, &vi),
              c.status);
    EXPECT_EQ(vi, VI_NULL);
    ViStatus code = 0;
    char text[512] = "";
    EXPECT_EQ(Korvane_GetError(VI_NULL, &code, sizeof text, text), VI_SUCCESS);
    EXPECT_EQ(code, c.status);
    EXPECT_STRNE(text, "");
    // No session was made, no driver object or chassis access object lives, none is open.
    EXPECT_EQ(NextHandle(), next + 1);
    EXPECT_EQ(CanUnloadNow(), S_OK);
    EXPECT_EQ(chassis::InstanceCount(), 0u);
    EXPECT_EQ(chassis::OpenSessionCount(), 0u);
    std::vector<std::string> calls;
    for (const std::string& call : chassis::Calls()) {
      const std::string name = call.substr(0, call.find('('));
      if (name == "Korvane_Fundamental_Api" || name == "ioOpen" || name == "ioClose" ||
          name == "~Korvane_Fundamental_Api") {
        calls.push_back(name);
      }
    }
    EXPECT_EQ(calls, c.calls);
  }
}

// IdQuery and Reset reach the driver each in its own place: against a model the identity query
// refuses, a reset alone opens and resets the chassis, a query alone fails the open unreset.
TEST(OpenSession, IdQueryAndResetKeepTheirPlaces) {
  for (const ViBoolean idQuery : {VI_FALSE, VI_TRUE}) {
    SCOPED_TRACE(idQuery);
    const chassis::ScopedReset reset;
    chassis::SetText(chassis::Text::kModel, "Q1234Z");
    ViSession vi = VI_NULL;
    const ViBoolean doReset = idQuery == VI_FALSE ? VI_TRUE : VI_FALSE;
    EXPECT_EQ(Korvane_init(const_cast<char*>("PXI0::0::INSTR"), idQuery, doReset, &vi),
              idQuery ? IVI_ERROR_ID_QUERY_FAILED : VI_SUCCESS);
    std::size_t resets = 0;
    for (const std::string& call : chassis::Calls()) resets += call.rfind("reset(", 0) == 0;
    EXPECT_EQ(resets, doReset ? 1u : 0u);
    if (vi != VI_NULL) {
      EXPECT_EQ(Korvane_close(vi), VI_SUCCESS);
    }
  }
}

// A read takes the first item its selector names (a write takes every one, see c_client.c); a
// range is a write's alone: rails have no numbered names, so it names unknown rails.
TEST(OpenSession, ReadsTakeTheFirstItemAndOnlyWritesTakeRanges) {
  const chassis::ScopedReset reset;
  ViSession vi = VI_NULL;
  ASSERT_EQ(Korvane_init(const_cast<char*>("PXI0::0::INSTR"), VI_FALSE, VI_FALSE, &vi), VI_SUCCESS);
  chassis::SetTemperature(0, 31);
  chassis::SetTemperature(1, 32);
  ViReal64 degrees = 0;
  EXPECT_EQ(Korvane_GetAttributeViReal64(vi, "TS2,TS1", KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE,
                                         &degrees),
            VI_SUCCESS);
  EXPECT_EQ(degrees, 32);
  const ViAttr enabled = KORVANE_ATTR_VOLTAGE_RAIL_ALARM_ENABLED;
  EXPECT_EQ(Korvane_SetAttributeViBoolean(vi, "VPLUS1-VPLUS2", enabled, VI_TRUE),
            IVI_ERROR_UNKNOWN_PHYSICAL_IDENTIFIER);
  ViBoolean on = VI_FALSE;
  EXPECT_EQ(Korvane_GetAttributeViBoolean(vi, "VPLUS1-VPLUS2", enabled, &on),
            IVI_ERROR_BADLY_FORMED_SELECTOR);
  EXPECT_EQ(Korvane_close(vi), VI_SUCCESS);
}

// A session that opened holds exactly one driver object and one chassis access object until
// its close, which leaves nothing; the handle is refused afterwards.
TEST(OpenSession, CloseEndsTheDriverObject) {
  const chassis::ScopedReset reset;
  ViSession vi = VI_NULL;
  ASSERT_EQ(Korvane_init(const_cast<char*>("PXI0::0::INSTR"), VI_FALSE, VI_FALSE, &vi), VI_SUCCESS);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(chassis::OpenSessionCount(), 1u);
  EXPECT_EQ(Korvane_close(vi), VI_SUCCESS);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  EXPECT_EQ(chassis::InstanceCount(), 0u);
  EXPECT_EQ(Korvane_close(vi), IVI_ERROR_INVALID_SESSION_HANDLE);
}

// A self-test error message too long for its buffer is cut to the buffer, the code still
// written, and the call returns the size the whole message needs.
TEST(OpenSession, SelfTestErrorMessageIsCutToItsBuffer) {
  const chassis::ScopedReset reset;
  const int32_t codes[] = {7, 7};
  chassis::SetSelfTestCodes(codes, 2);
  chassis::SetSelfTestCodeText(7, std::string(40, 'm').c_str());
  ViSession vi = VI_NULL;
  ASSERT_EQ(Korvane_init(const_cast<char*>("PXI0::0::INSTR"), VI_FALSE, VI_FALSE, &vi), VI_SUCCESS);
  ViInt16 result = 0;
  char whole[256];
  ASSERT_GE(Korvane_self_test(vi, &result, whole), VI_SUCCESS);
  ViInt32 code = -1;
  ASSERT_EQ(Korvane_SelfTestErrorQuery(vi, &code, sizeof whole, whole), VI_SUCCESS);
  const auto needed = static_cast<ViStatus>(std::strlen(whole) + 1);
  EXPECT_GE(needed, 41);
  char cut[16];
  std::memset(cut, '#', sizeof cut);
  code = -1;
  EXPECT_EQ(Korvane_SelfTestErrorQuery(vi, &code, 10, cut), needed);
  EXPECT_EQ(code, 7);
  EXPECT_EQ(std::string(cut, 11), std::string(whole, 9) + '\0' + '#');
  EXPECT_EQ(Korvane_close(vi), VI_SUCCESS);
}

}  // namespace
}  // namespace korvane

// The facade's declarations agree with the Windows ones in the values and
// layouts that code depends on.
#include <gtest/gtest.h>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

TEST(PlatformFacade, TypesHaveWindowsSizes) {
  EXPECT_EQ(sizeof(OLECHAR), 2u);
  EXPECT_EQ(sizeof(LONG), 4u);
  EXPECT_EQ(sizeof(ULONG), 4u);
  EXPECT_EQ(sizeof(DWORD), 4u);
  EXPECT_EQ(sizeof(HRESULT), 4u);
  EXPECT_EQ(sizeof(VARIANT_BOOL), 2u);
  EXPECT_EQ(sizeof(GUID), 16u);
  EXPECT_EQ(sizeof(VARIANT), 24u);
  EXPECT_EQ(sizeof(LARGE_INTEGER), 8u);
}

TEST(PlatformFacade, StatusHelpersFollowWindows) {
  EXPECT_TRUE(SUCCEEDED(S_FALSE));
  EXPECT_TRUE(FAILED(E_FAIL));
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), static_cast<HRESULT>(0x8007007A));
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SUCCESS), S_OK);
  EXPECT_EQ(HRESULT_CODE(E_OUTOFMEMORY), ERROR_OUTOFMEMORY);
  EXPECT_EQ(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x4002), static_cast<HRESULT>(0x80044002));
  EXPECT_EQ(static_cast<DWORD>(CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                               CLSCTX_REMOTE_SERVER),
            23u);
}

TEST(PlatformFacade, IidOfNamesTheStandardIdentifiers) {
  const IID unknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  EXPECT_TRUE(IidOf<IUnknown>() == unknown);
  EXPECT_TRUE(IidOf<IGlobalInterfaceTable>() == IID_IGlobalInterfaceTable);
  EXPECT_FALSE(IidOf<IErrorInfo>() == IidOf<ICreateErrorInfo>());
}

TEST(PlatformFacade, AnsiTextRoundTrips) {
  const OleString wide = AnsiToOle("Korvane: Success.");
  EXPECT_TRUE(wide == OLESTR("Korvane: Success."));
  EXPECT_EQ(OleToAnsi(wide), "Korvane: Success.");
  EXPECT_TRUE(AnsiToOle("").empty());
}

}  // namespace

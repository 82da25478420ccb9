// The COM error object and the per-thread current error.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/com_ptr.h"
#include "platform/ole_string.h"
#include "platform/win32.h"
#include "tests/support/error_info.h"

namespace korvane::testing {
namespace {

TEST(ErrorInfo, CarriesEveryField) {
  const GUID source = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.GetAddressOf()), S_OK);
  EXPECT_EQ(create->SetGUID(source), S_OK);
  EXPECT_EQ(create->SetSource(const_cast<LPOLESTR>(OLESTR("Korvane.Korvane.1"))), S_OK);
  EXPECT_EQ(create->SetDescription(const_cast<LPOLESTR>(OLESTR("Korvane: Success."))), S_OK);
  EXPECT_EQ(create->SetHelpFile(const_cast<LPOLESTR>(OLESTR("Korvane.chm"))), S_OK);
  EXPECT_EQ(create->SetHelpContext(3), S_OK);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, info.GetVoidAddressOf()), S_OK);
  ASSERT_EQ(SetErrorInfo(0, info.Get()), S_OK);

  const ErrorRecord record = TakeErrorInfo();
  EXPECT_TRUE(IsEqualGUID(record.interfaceId, source));
  EXPECT_TRUE(record.source == OLESTR("Korvane.Korvane.1"));
  EXPECT_TRUE(record.description == OLESTR("Korvane: Success."));
  EXPECT_TRUE(record.helpFile == OLESTR("Korvane.chm"));
  EXPECT_EQ(record.helpContext, 3u);
}

TEST(ErrorInfo, GetErrorInfoTakesTheErrorAway) {
  SetThreadError(OLESTR("first"));
  EXPECT_EQ(TakeErrorDescription(), "first");
  IErrorInfo* info = reinterpret_cast<IErrorInfo*>(this);
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
  EXPECT_EQ(info, nullptr);
}

TEST(ErrorInfo, SettingReplacesAndNullClears) {
  SetThreadError(OLESTR("old"));
  SetThreadError(OLESTR("new"));
  EXPECT_EQ(TakeErrorDescription(), "new");

  SetThreadError(OLESTR("dropped"));
  EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
  EXPECT_EQ(TakeErrorDescription(), "(none)");
}

TEST(ErrorInfo, EachThreadHasItsOwn) {
  SetThreadError(OLESTR("main thread"));
  std::string seenByOther;
  std::thread other([&seenByOther] {
    seenByOther = TakeErrorDescription();
    SetThreadError(OLESTR("other thread"));
    EXPECT_EQ(TakeErrorDescription(), "other thread");
  });
  other.join();
  EXPECT_EQ(seenByOther, "(none)");
  EXPECT_EQ(TakeErrorDescription(), "main thread");
}

}  // namespace
}  // namespace korvane::testing

// The COM error object and the per-thread current error.
#include <gtest/gtest.h>

#include <thread>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

// Puts an error object with the given description on the calling thread.
void SetThreadError(const OLECHAR* description) {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(description));
  IErrorInfo* info = nullptr;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
  EXPECT_EQ(SetErrorInfo(0, info), S_OK);
  info->Release();
  create->Release();
}

OleString TakeThreadErrorDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return OLESTR("(none)");
  BSTR description = nullptr;
  info->GetDescription(&description);
  OleString text(BstrView(description));
  SysFreeString(description);
  info->Release();
  return text;
}

TEST(ErrorInfo, CarriesEveryField) {
  const GUID source = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  EXPECT_EQ(create->SetGUID(source), S_OK);
  EXPECT_EQ(create->SetSource(const_cast<LPOLESTR>(OLESTR("Korvane.Korvane.1"))), S_OK);
  EXPECT_EQ(create->SetDescription(const_cast<LPOLESTR>(OLESTR("Korvane: Success."))), S_OK);
  EXPECT_EQ(create->SetHelpFile(const_cast<LPOLESTR>(OLESTR("Korvane.chm"))), S_OK);
  EXPECT_EQ(create->SetHelpContext(3), S_OK);

  IErrorInfo* info = nullptr;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
  GUID guid{};
  EXPECT_EQ(info->GetGUID(&guid), S_OK);
  EXPECT_TRUE(IsEqualGUID(guid, source));
  BSTR text = nullptr;
  EXPECT_EQ(info->GetSource(&text), S_OK);
  EXPECT_TRUE(BstrView(text) == OLESTR("Korvane.Korvane.1"));
  SysFreeString(text);
  EXPECT_EQ(info->GetDescription(&text), S_OK);
  EXPECT_TRUE(BstrView(text) == OLESTR("Korvane: Success."));
  SysFreeString(text);
  EXPECT_EQ(info->GetHelpFile(&text), S_OK);
  EXPECT_TRUE(BstrView(text) == OLESTR("Korvane.chm"));
  SysFreeString(text);
  DWORD context = 0;
  EXPECT_EQ(info->GetHelpContext(&context), S_OK);
  EXPECT_EQ(context, 3u);
  info->Release();
  create->Release();
}

TEST(ErrorInfo, GetErrorInfoTakesTheErrorAway) {
  SetThreadError(OLESTR("first"));
  EXPECT_TRUE(TakeThreadErrorDescription() == OLESTR("first"));
  IErrorInfo* info = reinterpret_cast<IErrorInfo*>(this);
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
  EXPECT_EQ(info, nullptr);
}

TEST(ErrorInfo, SettingReplacesAndNullClears) {
  SetThreadError(OLESTR("old"));
  SetThreadError(OLESTR("new"));
  EXPECT_TRUE(TakeThreadErrorDescription() == OLESTR("new"));

  SetThreadError(OLESTR("dropped"));
  EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
  EXPECT_TRUE(TakeThreadErrorDescription() == OLESTR("(none)"));
}

TEST(ErrorInfo, EachThreadHasItsOwn) {
  SetThreadError(OLESTR("main thread"));
  OleString seenByOther;
  std::thread other([&seenByOther] {
    seenByOther = TakeThreadErrorDescription();
    SetThreadError(OLESTR("other thread"));
    EXPECT_TRUE(TakeThreadErrorDescription() == OLESTR("other thread"));
  });
  other.join();
  EXPECT_TRUE(seenByOther == OLESTR("(none)"));
  EXPECT_TRUE(TakeThreadErrorDescription() == OLESTR("main thread"));
}

}  // namespace

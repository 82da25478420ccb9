#include "tests/support/error_info.h"

#include <gtest/gtest.h>

#include "platform/com_ptr.h"
#include "platform/scoped_bstr.h"
#include "tests/support/text.h"

namespace korvane::testing {

ErrorRecord TakeErrorInfo() {
  ErrorRecord record;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.GetAddressOf()) != S_OK || !info) return record;
  record.present = true;
  info->GetGUID(&record.interfaceId);
  ScopedBstr source, description, helpFile;
  info->GetSource(source.Receive());
  info->GetDescription(description.Receive());
  info->GetHelpFile(helpFile.Receive());
  info->GetHelpContext(&record.helpContext);
  record.source = OleString(BstrView(source.Get()));
  record.description = OleString(BstrView(description.Get()));
  record.helpFile = OleString(BstrView(helpFile.Get()));
  return record;
}

ErrorText TakeErrorText() {
  const ErrorRecord record = TakeErrorInfo();
  return {record.present,          record.interfaceId,
          Narrow(record.source),   Narrow(record.description),
          Narrow(record.helpFile), record.helpContext};
}

std::string TakeErrorDescription() {
  const ErrorRecord record = TakeErrorInfo();
  return record.present ? Narrow(record.description) : "(none)";
}

void SetThreadError(const OleString& description) {
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(S_OK, CreateErrorInfo(create.GetAddressOf()));
  create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(S_OK, create->QueryInterface(IID_IErrorInfo, info.GetVoidAddressOf()));
  EXPECT_EQ(S_OK, SetErrorInfo(0, info.Get()));
}

}  // namespace korvane::testing

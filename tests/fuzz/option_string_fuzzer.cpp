// The option string of Initialize, from any UTF-16 text: parsing keeps its
// rules (trimmed names and values without ',' or '='), and
// processing either succeeds or fails with error information that says why
// (but for the one refusal that has no message).

#include <cstddef>
#include <cstdint>

#include "diag/call_context.h"
#include "diag/error_reporter.h"
#include "diag/trace_log.h"
#include "driver/option_string.h"
#include "platform/com_ptr.h"
#include "platform/scoped_bstr.h"
#include "tests/fuzz/fuzz_input.h"

namespace korvane {
namespace {

class InitializeCall : public ICallContextProvider {
 public:
  const CallContext& GetCallContext() const override { return context_; }

 private:
  CallContext context_{IID{}, "IIviDriver", "Initialize", OLESTR("Initialize"),
                       OLESTR("IIviDriver.Initialize")};
};

bool IsWhiteSpace(OLECHAR c) {
  return c == OLECHAR(' ') || (c >= OLECHAR('\t') && c <= OLECHAR('\r'));
}

void CheckItem(OleStringView text) {
  // A name of blanks alone trims to nothing: " =x" is the pair "" = "x".
  if (text.empty()) return;
  fuzz::Require(!IsWhiteSpace(text.front()) && !IsWhiteSpace(text.back()),
                "names and values are trimmed");
  fuzz::Require(text.find_first_of(OLESTR(",=")) == OleStringView::npos,
                "names and values hold no ',' or '='");
}

void CheckParse(OleStringView text) {
  NameValueTable table;
  ParseOptions(text, table);
  for (const auto& [name, value] : table) {
    CheckItem(name);
    CheckItem(value);
  }
}

void CheckProcess(OleStringView text) {
  InitializeCall call;
  CKorvaneErrorReporter reporter{CLSID{}, call};
  OperationFlags flags;
  OleString driverSetup, model;
  NameValueTable optionTable, driverSetupTable;
  CTraceLog trace;
  const OptionTarget target{flags, driverSetup, optionTable, driverSetupTable,
                            model, trace,       reporter};
  SetErrorInfo(0, nullptr);
  const HRESULT hr = ProcessOptionString(target, text);
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.GetAddressOf()) != S_OK) info.Reset();
  if (SUCCEEDED(hr)) return;
  // The one refusal without a message: DriverSetup's Trace=false after Trace=true while the
  // trace is stopped.
  if (hr == E_UNEXPECTED) return;
  fuzz::Require(bool(info), "a refused option string leaves error information");
  ScopedBstr description;
  fuzz::Require(SUCCEEDED(info->GetDescription(description.Receive())) && description.Length() > 0,
                "the error information describes the fault");
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const OleString text = korvane::fuzz::Utf16Units(data, size);
  korvane::CheckParse(text);
  korvane::CheckProcess(text);
  return 0;
}

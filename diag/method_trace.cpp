#include "diag/method_trace.h"

#include <memory>

#include "diag/trace_clock.h"
#include "diag/trace_text.h"
#include "diag/trace_xml.h"

namespace korvane {

namespace {

// The calling thread's id, read once per thread: it is fixed for the
// thread's life, and reading it may cost a system call.
DWORD CallingThreadId() {
  static thread_local const DWORD id = GetCurrentThreadId();
  return id;
}

struct FreeBstr {
  void operator()(BSTR text) const { SysFreeString(text); }
};

// Takes the thread's error information for reading and gives it back (the
// same object) when done, so the caller still finds it after the trace.
class BorrowedErrorInfo {
 public:
  BorrowedErrorInfo() {
    if (GetErrorInfo(0, &info_) != S_OK) info_ = nullptr;
  }
  ~BorrowedErrorInfo() {
    if (info_ == nullptr) return;
    SetErrorInfo(0, info_);
    info_->Release();
  }
  BorrowedErrorInfo(const BorrowedErrorInfo&) = delete;  // one owner gives it back
  BorrowedErrorInfo& operator=(const BorrowedErrorInfo&) = delete;

  bool present() const { return info_ != nullptr; }
  // The description in the ANSI code page, empty when there is none.
  std::string Description() const {
    BSTR text = nullptr;
    if (info_ == nullptr || FAILED(info_->GetDescription(&text))) return {};
    const std::unique_ptr<OLECHAR, FreeBstr> owned(text);
    std::string ansi;
    AppendAnsiText(ansi, text, SysStringLen(text));
    return ansi;
  }

 private:
  IErrorInfo* info_ = nullptr;
};

void WriteParameter(TraceXmlWriter& xml, const TraceParam& param, std::string& value) {
  xml.StartElement("Parameter");
  xml.Attribute("Name", param.name);
  xml.Attribute("Direction", param.direction == kTraceIn ? "In" : "Out");
  value.clear();
  AppendTraceValue(value, param.value);
  xml.Attribute("Value", value);
  value.clear();
  AppendTraceDataType(value, param.value.vt);
  xml.Attribute("DataType", value);
  xml.EndElement();
}

}  // namespace

void CMethodTrace::Begin() noexcept {
  GetLocalTime(&startTime_);
  threadId_ = CallingThreadId();
  startCounter_ = TraceCounterNow();
  active_ = true;
}

void CMethodTrace::Close() noexcept {
  if (closed_) return;
  closed_ = true;
  if (log_ == nullptr) return;
  if (!active_) {
    if (log_->closePendingHere()) log_->FinishRecord(nullptr, 0);
    return;
  }
  const LONGLONG endCounter = TraceCounterNow();
  // The record's buffer is the call's own: no thread_local, whose destructor
  // would run at thread exit in a module that COM may have unloaded by then.
  try {
    std::string record;
    Format(record, endCounter);
    log_->FinishRecord(&record, endCounter);
  } catch (...) {
    // Out of memory while formatting: the record is lost, the call is not.
  }
}

void CMethodTrace::Format(std::string& out, LONGLONG endCounter) const {
  out.reserve(256 + 96 * static_cast<size_t>(paramCount_));
  TraceXmlWriter xml(out, 1);
  std::string value;  // each attribute's text before escaping
  auto number = [&value](auto append, auto n) -> const std::string& {
    value.clear();
    append(value, n);
    return value;
  };

  xml.StartElement("Method");
  xml.Attribute("Name", memberName_);
  xml.Attribute("Interface", interfaceName_);
  value.clear();  // "%d:%d:%d:%d"
  for (WORD part :
       {startTime_.wHour, startTime_.wMinute, startTime_.wSecond, startTime_.wMilliseconds}) {
    if (!value.empty()) value += ':';
    AppendDecimal(value, part);
  }
  xml.PlainAttribute("StartTime", value);
  xml.PlainAttribute("Thread", number(AppendDecimal, static_cast<int32_t>(threadId_)));
  xml.PlainAttribute("Timestamp", number(AppendUnsigned, static_cast<uint64_t>(startCounter_)));
  // Inputs first, then the outputs, each in declaration order.
  for (int i = 0; i < paramCount_; ++i) {
    if (params_[i].direction == kTraceIn) WriteParameter(xml, params_[i], value);
  }
  for (int i = 0; i < paramCount_; ++i) {
    if (params_[i].direction != kTraceIn) WriteParameter(xml, params_[i], value);
  }

  const HRESULT status = status_ != nullptr ? *status_ : S_OK;
  xml.StartElement("HRESULT");
  xml.PlainAttribute("Value", number(AppendHresult, static_cast<uint32_t>(status)));
  if (FAILED(status)) {
    BorrowedErrorInfo info;
    if (info.present()) xml.Attribute("Message", info.Description());
  }
  xml.EndElement();

  xml.StartElement("Execution");
  xml.PlainAttribute("ExecutionTime",
                     number(AppendScientific, TraceCounterSeconds(endCounter - startCounter_)));
  xml.EndElement();
  xml.EndElement();  // Method
}

}  // namespace korvane

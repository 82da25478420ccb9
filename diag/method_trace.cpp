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

void CMethodTrace::WriteStart() noexcept {
  if (!active_ || started_) return;
  started_ = true;
  try {
    FormatStart(text_);
    faulted_ = !log_->BeginRecord(text_, startCounter_);
    text_.clear();
  } catch (...) {
    // Out of memory while formatting: the record is lost, the call is not.
    active_ = false;
    ReleaseOwnHold();
  }
}

void CMethodTrace::Close() noexcept {
  if (closed_) return;
  WriteStart();
  closed_ = true;
  if (log_ == nullptr) return;
  if (!active_) {
    if (log_->closePendingHere()) log_->FinishRecord(nullptr, 0);
    return;
  }
  const LONGLONG endCounter = TraceCounterNow();
  // The record's text is the call's own: no thread_local, whose destructor
  // would run at thread exit in a module that COM may have unloaded by then.
  try {
    FormatRest(text_, endCounter);
    if (!log_->FinishRecord(&text_, endCounter)) faulted_ = true;
  } catch (...) {
    // Out of memory while formatting: the rest is lost, the call is not.
  }
  ReleaseOwnHold();
}

void CMethodTrace::FormatStart(std::string& out) const {
  out.reserve(256 + 96 * static_cast<size_t>(paramCount_));
  TraceXmlWriter xml(out, 1);
  std::string value;  // each attribute's text before escaping
  xml.StartElement("Method");
  xml.Attribute("Name", memberName_);
  xml.Attribute("Interface", interfaceName_);
  for (WORD part :  // "%d:%d:%d:%d"
       {startTime_.wHour, startTime_.wMinute, startTime_.wSecond, startTime_.wMilliseconds}) {
    if (!value.empty()) value += ':';
    AppendDecimal(value, part);
  }
  xml.PlainAttribute("StartTime", value);
  value.clear();
  AppendDecimal(value, static_cast<int32_t>(threadId_));
  xml.PlainAttribute("Thread", value);
  value.clear();
  AppendUnsigned(value, static_cast<uint64_t>(startCounter_));
  xml.PlainAttribute("Timestamp", value);
  for (int i = 0; i < paramCount_; ++i) {
    if (params_[i].direction == kTraceIn) WriteParameter(xml, params_[i], value);
  }
  xml.CompleteStartTag();  // the rest follows in another write
}

void CMethodTrace::FormatRest(std::string& out, LONGLONG endCounter) const {
  TraceXmlWriter xml(out, 2);  // the children of the open Method
  std::string value;
  auto number = [&value](auto append, auto n) -> const std::string& {
    value.clear();
    append(value, n);
    return value;
  };
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
  out += "\t</Method>\r\n";
}

}  // namespace korvane

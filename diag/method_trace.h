#pragma once
// The trace record of one interface call, kept on the entry point's stack.
//
// Use, in an entry point (after the null-pointer checks; the entry point has
// taken a TraceCallHold before the object's lock):
//
//   HRESULT hr = S_OK;
//   CMethodTrace trace(hold.log(), "IKorvaneTemperatureSensors", "get_Name", &hr);
//   if (trace.active()) {  // parameters are built only while recording
//     trace.Add(TraceParam::In("Index", Index));
//     trace.Add(TraceParam::Out("val", val));
//   }
//   trace.WriteStart();  // the Method start and the inputs, before the member runs
//   hr = ...the implementation or the simulation rule...;
//   trace.Close();  // after hr holds the call's final status
//   return hr;
//
// The record captures the start (local time, thread, performance counter) when
// it is constructed and writes the Method start with the inputs as they were
// passed at WriteStart; Close writes the rest: the outputs read through their
// pointers, the status with the thread's error message, and the execution
// time (see CTraceLog for how the two halves reach the file). A recording
// record holds its log from construction to Close, so the records of other
// threads wait for it. Tracing never changes the call's status; faulted()
// tells the entry point that the log stopped on a fault of its file.

#include <cstdint>
#include <string>

#include "diag/trace_log.h"
#include "diag/trace_param.h"
#include "platform/win32.h"

namespace korvane {

class CMethodTrace {
 public:
  static constexpr int kMaxParams = 25;

  // `log` may be null. The names and the status must outlive the record; the
  // names are literals of the entry points.
  // `hold`: the entry point's hold on the log, taken before the object's
  // lock; the record writes only when it holds `log` (it still acts on a
  // pending close). Without one the record holds the log itself.
  CMethodTrace(CTraceLog* log, const char* interfaceName, const char* memberName,
               const HRESULT* status, const TraceCallHold* hold = nullptr) noexcept
      : log_(log), interfaceName_(interfaceName), memberName_(memberName), status_(status) {
    if (log_ == nullptr || !log_->IsEnabled()) return;
    if (hold != nullptr) {
      if (hold->log() == log_) Begin();
      return;
    }
    log_->Hold();
    ownHold_ = true;
    if (log_->IsEnabled()) {
      Begin();
    } else {
      ReleaseOwnHold();
    }
  }
  // Closes the record if the entry point did not (an exception unwinding
  // through it, say); the status is then whatever the location holds.
  ~CMethodTrace() { Close(); }
  // A copy would write the record twice.
  CMethodTrace(const CMethodTrace&) = delete;
  CMethodTrace& operator=(const CMethodTrace&) = delete;

  // Whether this call is being recorded: the log was recording when it began.
  bool active() const { return active_; }

  // Adds the next parameter, in declaration order. Ignored when the record is
  // not active and beyond 25 parameters.
  void Add(const TraceParam& param) {
    if (active_ && paramCount_ < kMaxParams) params_[paramCount_++] = param;
  }

  // Writes the Method start with the inputs added so far; the parameters are
  // complete. Only the first call does anything; Close makes it if the entry
  // point did not.
  void WriteStart() noexcept;

  // Writes the rest of the record, lets the log act on a pending close and
  // releases the log. Only the first call does anything.
  void Close() noexcept;

  // Whether a write of this record met a fault of the file that stopped the
  // log (CTraceLog::startFailure() tells why).
  bool faulted() const { return faulted_; }

 private:
  void Begin() noexcept;
  void ReleaseOwnHold() noexcept {
    if (ownHold_) log_->Release();
    ownHold_ = false;
  }
  void FormatStart(std::string& out) const;
  void FormatRest(std::string& out, LONGLONG endCounter) const;

  CTraceLog* log_;
  const char* interfaceName_;
  const char* memberName_;
  const HRESULT* status_;
  bool active_ = false;
  bool started_ = false;
  bool closed_ = false;
  bool faulted_ = false;
  bool ownHold_ = false;
  std::string text_;
  int paramCount_ = 0;
  // Set by Begin only; left uninitialized while tracing is off.
  DWORD threadId_;
  SYSTEMTIME startTime_;
  LONGLONG startCounter_;
  TraceParam params_[kMaxParams];
};

}  // namespace korvane

#pragma once
// The call trace log of one driver object: its settings, its states and the
// XML file that every traced call is appended to (CMethodTrace writes the
// records).
//
// Crash safety: a record goes into the file (TraceFile: one system write per
// part, nothing held in the process) in two parts: its Method start with the
// inputs before the member runs, the rest (outputs, status, time, end tag)
// when it ends. After a crash the file holds every completed record and the
// start of each call that was running; it lacks only the end tags, which a
// reader supplies (the end tag of that Method, if open, and of TraceRecords).
// A second reader sees each record as soon as its call returns.
//
// Concurrency: driver calls (under the driver lock) and item calls (under
// their item locks only) write into the same log. While tracing is on, a
// traced call holds the log for its whole length (CMethodTrace takes the
// recursive mutex; the entry point takes it before the object's lock, so the
// log always comes first and a driver call waiting for an item's lock cannot
// hold the log that the item's call waits for; the settings and the file have
// a mutex of their own, taken last). Records therefore follow one
// another whole, in the order their calls ran. The state is atomic as well
// so that IsEnabled() costs one load while tracing is off.
//
// Faults: a write the system refuses (disk full, a read-only or vanished
// file) or a file that another program deleted or cut (found within 64
// records or a tenth of a second: asking the system costs as much as a
// write) stops the log; the call that met the fault keeps its own status, and failure()
// tells why (for that call's error information, and the next reads of
// TraceEnabled).

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "diag/trace_file.h"
#include "diag/trace_xml.h"
#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

enum class TraceState : int32_t { kActive = 0, kStopped = 1, kSizeLimited = 2 };

class CTraceLog {
 public:
  CTraceLog();
  // Completes and closes a file that is still open.
  ~CTraceLog();
  CTraceLog(const CTraceLog&) = delete;  // owns an open file
  CTraceLog& operator=(const CTraceLog&) = delete;

  // Settings, from the DriverSetup items of the option string.
  void SetFileName(OleString name);
  void SetStylesheet(OleString name);
  void SetSizeMax(int32_t bytes);
  void SetArrayEnabled(bool on);
  void SetArraySizeMax(int32_t elements);
  void SetSaveInterval(int32_t minutes);
  void SetNamePrefix(OleString prefix);
  // A note written as a comment after the header of each file started from
  // now on (empty: none).
  void SetStartNote(OleString note);

  const OleString& fileName() const { return fileName_; }
  const OleString& stylesheet() const { return stylesheet_; }
  int32_t sizeMax() const { return sizeMax_; }
  bool arrayEnabled() const { return arrayEnabled_; }
  int32_t arraySizeMax() const { return arraySizeMax_; }
  int32_t saveIntervalMinutes() const { return saveIntervalMinutes_; }
  const OleString& namePrefix() const { return namePrefix_; }

  // The start request (the enabled flag): set by the Trace item or by the
  // first switch-on through TraceEnabled; ConfigureTrace starts the log when
  // it is set.
  bool enabled() const { return enabled_.load(std::memory_order_relaxed); }
  void SetStartRequest(bool on) { enabled_.store(on, std::memory_order_relaxed); }
  TraceState state() const { return state_.load(std::memory_order_relaxed); }
  // Puts the log into its stopped state; an open file stays open.
  void Stop();

  // Switches on with a new file: the header is written and the log becomes
  // active. E_UNEXPECTED when already active; the system error (as an
  // HRESULT) when the file cannot be created, and the log stays stopped;
  // startFailure() then names the file and the system's reason.
  HRESULT Start();
  // The TraceEnabled property. On: the first switch-on sets the enabled flag
  // and starts; later ones make the log active again in the same file unless
  // the size limit stopped it. Only the first switch-on creates a file: when
  // none is open (the start failed, or Close completed it), the log is active
  // and writes nothing. Off: pauses recording.
  HRESULT SetEnabled(bool on);
  // Why the last start failed, or why a fault stopped the log, for the
  // caller's error information: "Korvane: Cannot create the trace file
  // <path>: <system's reason>", "Korvane: Tracing stopped: ...".
  OleString startFailure() const;
  // The fault that stopped the log (its status, and the text startFailure
  // gives), or S_OK while none did.
  HRESULT fault() const;
  // Whether calls are being recorded now; the entry points ask this on every
  // call, so it is one relaxed load.
  bool IsEnabled() const { return state() == TraceState::kActive; }
  // Whether any log of the process is recording: the entry points look for
  // their driver's log only then, so that with tracing off a call costs one
  // load.
  static bool AnyEnabled() { return activeLogs_.load(std::memory_order_relaxed) > 0; }
  // Run by Initialize: takes the driver's identifier as the default file
  // name's prefix and starts when the start request is set (a log that is
  // still recording, from an Initialize that failed later on, carries on in
  // its file).
  HRESULT ConfigureTrace(OleString prefix);
  // Ends the document (end tags of all open elements), closes the file,
  // clears the close-pending flag and stops the log.
  void CloseFile();
  // Set by Close: the record of the Close call, when it completes on this
  // same thread, ends the file after itself, so that it is the file's last
  // record. (Records of other threads' calls do not act on the flag; they
  // could otherwise end the file before the Close record.)
  void MarkClosePending();
  bool closePending() const { return closePending_.load(std::memory_order_relaxed); }

  // The number of holds taken or waited for now, over all threads (a call
  // holds the log once or twice).
  int holds() const { return holders_.load(std::memory_order_relaxed); }

  // The current (or last) file's full path; empty before the first start.
  OleString filePath() const;
  DWORD processId() const { return processId_; }

 private:
  friend class CMethodTrace;
  friend class TraceCallHold;

  // Held by a recorded call for its whole length (see TraceCallHold).
  void Hold() {
    holders_.fetch_add(1, std::memory_order_relaxed);
    callMutex_.lock();
  }
  void Release() {
    callMutex_.unlock();
    holders_.fetch_sub(1, std::memory_order_relaxed);
  }
  // Called by a recorded call before its member runs, with its Method start
  // and inputs and the performance counter at its start; false when they
  // could not be written (the log stopped). Looks whether another program
  // deleted or cut the file every 64 records and at least every tenth of a
  // second of calls.
  bool BeginRecord(std::string_view start, LONGLONG now);
  // Called once per traced call as it ends: `text` is the rest of its record,
  // or null when the call was not recorded. `now` is the performance counter
  // at the call's end. Writes the text, runs the save check, then ends the
  // file when the close is pending on this thread and the write did not fail.
  // False when the write failed.
  bool FinishRecord(const std::string* text, LONGLONG now);
  // Whether FinishRecord has anything to do for a call that was not recorded.
  bool closePendingHere() const;

  HRESULT StartLocked();
  void CloseFileLocked();
  // Creates the file at the path the settings give (a default name that
  // another session took gets a number: _2, _3...).
  HRESULT CreateFileLocked(const SYSTEMTIME& now, OleString& path);
  bool AppendLocked(std::string_view text);
  bool AppendStartLocked(std::string_view start);
  // Stops the log for good after a fault of its file.
  void FailLocked(HRESULT status, const OleString& reason);
  void SaveCheckLocked(LONGLONG now);
  // Every change of the state goes through here, to count the active logs.
  void SetStateLocked(TraceState state);

  // Held by a traced call for its whole length, before its object's lock.
  std::recursive_mutex callMutex_;
  // Guards the file, the writer state and the settings; taken last, briefly,
  // also by untraced calls under their object's lock.
  mutable std::recursive_mutex mutex_;
  std::atomic<int> holders_{0};
  static std::atomic<int> activeLogs_;
  // Settings.
  OleString fileName_;
  OleString namePrefix_;
  OleString startNote_;
  OleString stylesheet_;
  int32_t sizeMax_ = 1000000;
  bool arrayEnabled_ = false;
  int32_t arraySizeMax_ = 10;
  int32_t saveIntervalMinutes_ = 1;
  // States.
  std::atomic<bool> enabled_{false};
  std::atomic<TraceState> state_{TraceState::kStopped};
  std::atomic<bool> closePending_{false};
  DWORD closeThread_ = 0;
  const DWORD processId_;
  // The file and its writer state: the root element stays open between
  // records; its start tag is completed by the first record.
  TraceFile file_;
  OleString filePath_;
  OleString startFailure_;
  HRESULT fault_ = S_OK;
  LONGLONG lastSave_ = 0;    // performance counter
  bool recordOpen_ = false;  // a Method start is in the file without its end
  int recordsSinceCheck_ = 0;
  LONGLONG lastCheck_ = 0;  // performance counter
  std::string scratch_;
  TraceXmlWriter root_{scratch_, 0};
};

// The log held for the whole of one call, taken as the call begins (before
// the called object's lock) when tracing is on, and released when it returns.
class TraceCallHold {
 public:
  // `log` may be null (no log: nothing is held).
  explicit TraceCallHold(CTraceLog* log) noexcept
      : log_(log != nullptr && log->IsEnabled() ? log : nullptr) {
    if (log_ != nullptr) log_->Hold();
  }
  ~TraceCallHold() {
    if (log_ != nullptr) log_->Release();
  }
  TraceCallHold(const TraceCallHold&) = delete;  // one release per hold
  TraceCallHold& operator=(const TraceCallHold&) = delete;

  // The log while held, else null (the call is not traced).
  CTraceLog* log() const { return log_; }

 private:
  CTraceLog* log_;
};

}  // namespace korvane

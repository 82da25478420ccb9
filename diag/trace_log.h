#pragma once
// The call trace log of one driver object: its settings, its states and the
// XML file that every traced call is appended to (CMethodTrace writes the
// records).
//
// Concurrency: driver calls (under the driver lock) and item calls (under
// their item locks only) write into the same log at the same time. Each
// CMethodTrace formats its whole Method element in a buffer of its own and
// hands it over once, when the call ends; the log appends it with a single
// write under its own mutex. Records therefore never interleave or nest, and
// a record costs the lock only for that one append. The mutex also guards the
// file, the writer state and the settings the save check reads; the state is
// atomic as well so that IsEnabled() costs one load.

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
  // HRESULT) when the file cannot be created, and the log stays stopped.
  HRESULT Start();
  // The TraceEnabled property. On: the first switch-on sets the enabled flag
  // and starts; later ones resume the open file unless the size limit
  // stopped it (with no file open, because the last start failed or Close
  // completed the file, they start a new one). Off: pauses recording.
  HRESULT SetEnabled(bool on);
  // Whether calls are being recorded now; the entry points ask this on every
  // call, so it is one relaxed load.
  bool IsEnabled() const { return state() == TraceState::kActive; }
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

  // The current (or last) file's full path; empty before the first start.
  OleString filePath() const;
  DWORD processId() const { return processId_; }

 private:
  friend class CMethodTrace;

  // Called once per traced call as it ends. `record` is the complete Method
  // element, or null when the call was not recorded; `now` is the
  // performance counter at the call's end. Appends the record, runs the save
  // check, then ends the file when the close is pending on this thread and
  // the append did not fail.
  void FinishRecord(const std::string* record, LONGLONG now);
  // Whether FinishRecord has anything to do for a call that was not recorded.
  bool closePendingHere() const;

  HRESULT StartLocked();
  void CloseFileLocked();
  bool AppendLocked(std::string_view record);
  void SaveCheckLocked(LONGLONG now);

  mutable std::mutex mutex_;
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
  LONGLONG lastSave_ = 0;  // performance counter
  std::string scratch_;
  TraceXmlWriter root_{scratch_, 0};
};

}  // namespace korvane

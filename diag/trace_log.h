#pragma once
// The call trace log of one driver object: its settings, its states and the
// XML file that every traced call is appended to (CMethodTrace writes the
// records).
//
// Crash safety: a record goes into the file (TraceFile: a shared mapping, no
// buffer in the process) in two parts: its Method start with the inputs
// before the member runs, the rest (outputs, status, time, end tag) when it
// ends. After a crash the file holds every completed record and the start of
// the call that was running, then zero bytes; it lacks only the end tags,
// which a reader supplies (the end tag of that Method, if open, and of
// TraceRecords). A second reader sees each record as soon as its call returns.
//
// Concurrency: driver calls (under the driver lock) and item calls (under
// their item locks only) write into the same log at the same time. One record
// at a time is open in the file: a call that begins while another thread's
// record is open keeps its start and writes its whole record when it ends; a
// record completed while another is open waits in the log and follows the
// open one's end. Records therefore never interleave or nest, and nothing
// waits for another call. The mutex guards the file, the writer state and
// the settings the save check reads; the state is atomic as well so that
// IsEnabled() costs one load.

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
  // Why the last start failed, for the caller's error information:
  // "Korvane: Cannot create the trace file <path>: <system's reason>".
  OleString startFailure() const;
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

  // Called by a recorded call before its member runs, with its Method start
  // and inputs. Writes them when no other record is open, making this one
  // the open record; returns its number then, else 0 (the caller keeps the
  // start and writes it with the rest).
  uint64_t BeginRecord(std::string_view start);
  // Called once per traced call as it ends. With the number BeginRecord gave,
  // `text` is the rest of the open record; with 0, `text` is the whole Method
  // element, or null when the call was not recorded. `now` is the
  // performance counter at the call's end. Writes the text, runs the save
  // check, then ends the file when the close is pending on this thread and
  // the write did not fail.
  void FinishRecord(uint64_t record, const std::string* text, LONGLONG now);
  // Whether FinishRecord has anything to do for a call that was not recorded.
  bool closePendingHere() const;

  HRESULT StartLocked();
  void CloseFileLocked();
  bool AppendLocked(std::string_view record);
  // Ends the open record; writes what waited for it, and ends the file when
  // a pending close waited for it as well.
  bool EndOpenRecordLocked(std::string_view rest);
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
  OleString startFailure_;
  LONGLONG lastSave_ = 0;  // performance counter
  // The record whose start is in the file without its end (0: none), the
  // number of the last record begun, the whole records completed meanwhile,
  // and whether the pending close waits for the open record.
  uint64_t openRecord_ = 0;
  uint64_t lastRecord_ = 0;
  std::string waiting_;
  bool closeAfterOpenRecord_ = false;
  std::string scratch_;
  TraceXmlWriter root_{scratch_, 0};
};

}  // namespace korvane

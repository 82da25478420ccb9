#include "diag/trace_log.h"

#include "diag/trace_clock.h"
#include "diag/trace_note.h"
#include "diag/trace_path.h"
#include "diag/trace_text.h"

namespace korvane {

namespace {

constexpr std::string_view kXmlDeclaration = "<?xml version=\"1.0\"?>\r\n";
constexpr char kRootElement[] = "TraceRecords";

constexpr char kMethodEnd[] = "\t</Method>\r\n";

// The path is escaped like an attribute value: a '>' or '"' in it can neither
// end the processing instruction nor its pseudo-attribute.
void AppendStylesheetLine(std::string& out, const OleString& path) {
  out += "<?xml-stylesheet type=\"text/xsl\" href=\"file:\\\\";
  std::string ansi;
  AppendAnsiText(ansi, path.data(), path.size());
  AppendXmlEscaped(out, ansi);
  out += "\"?>\r\n";
}

// The system's text for a failure, without its line end.
OleString SystemReason(HRESULT status) {
  if (HRESULT_FACILITY(status) == FACILITY_WIN32) {
    OLECHAR text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, HRESULT_CODE(status), 0, text, 512, nullptr);
    while (length > 0 &&
           (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) {
      --length;
    }
    if (length > 0) return OleString(text, length);
  }
  std::string code;
  AppendHresult(code, static_cast<uint32_t>(status));
  return OLESTR("System error ") + AnsiToOle(code) + OLESTR(".");
}

OleString StartFailureText(const OleString& file, HRESULT status) {
  return OLESTR("Korvane: Cannot create the trace file ") + file + OLESTR(": ") +
         SystemReason(status);
}

// How often a record looks whether another program deleted or cut the file.
constexpr int kRecordsPerCheck = 64;
constexpr double kCheckSeconds = 0.1;

// Default names of one second are numbered from the second session on.
constexpr int kMaxDefaultNameSequence = 1000;

OleString StoppedText(const OleString& file, const OLECHAR* what) {
  return OLESTR("Korvane: Tracing stopped: the trace file ") + file + what +
         OLESTR(" Switch tracing on again to start a new file.");
}

}  // namespace

std::atomic<int> CTraceLog::activeLogs_{0};

CTraceLog::CTraceLog() : processId_(GetCurrentProcessId()) {}

CTraceLog::~CTraceLog() {
  std::lock_guard lock(mutex_);
  if (file_.isOpen()) CloseFileLocked();
  SetStateLocked(TraceState::kStopped);
}

void CTraceLog::SetStateLocked(TraceState state) {
  const bool wasActive = state_.exchange(state) == TraceState::kActive;
  const bool active = state == TraceState::kActive;
  if (active != wasActive) activeLogs_.fetch_add(active ? 1 : -1, std::memory_order_relaxed);
}

void CTraceLog::SetFileName(OleString name) {
  std::lock_guard lock(mutex_);
  fileName_ = std::move(name);
}

void CTraceLog::SetStylesheet(OleString name) {
  std::lock_guard lock(mutex_);
  stylesheet_ = std::move(name);
}

void CTraceLog::SetSizeMax(int32_t bytes) {
  std::lock_guard lock(mutex_);
  sizeMax_ = bytes;
}

void CTraceLog::SetArrayEnabled(bool on) {
  std::lock_guard lock(mutex_);
  arrayEnabled_ = on;
}

void CTraceLog::SetArraySizeMax(int32_t elements) {
  std::lock_guard lock(mutex_);
  arraySizeMax_ = elements;
}

void CTraceLog::SetSaveInterval(int32_t minutes) {
  std::lock_guard lock(mutex_);
  saveIntervalMinutes_ = minutes;
}

void CTraceLog::SetNamePrefix(OleString prefix) {
  std::lock_guard lock(mutex_);
  namePrefix_ = std::move(prefix);
}

void CTraceLog::SetStartNote(OleString note) {
  std::lock_guard lock(mutex_);
  startNote_ = std::move(note);
}

void CTraceLog::Stop() {
  std::lock_guard lock(mutex_);
  SetStateLocked(TraceState::kStopped);
}

HRESULT CTraceLog::Start() {
  std::lock_guard lock(mutex_);
  return StartLocked();
}

HRESULT CTraceLog::StartLocked() {
  if (state_ == TraceState::kActive) return E_UNEXPECTED;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const OleString stylesheet = FindTraceStylesheet(stylesheet_);
  if (file_.isOpen()) CloseFileLocked();  // a paused log's earlier file is complete
  OleString path;
  if (const HRESULT created = CreateFileLocked(now, path); FAILED(created)) return created;

  filePath_ = std::move(path);
  startFailure_.clear();
  fault_ = S_OK;
  scratch_.assign(kXmlDeclaration);
  if (!stylesheet.empty()) AppendStylesheetLine(scratch_, stylesheet);
  if (!startNote_.empty()) AppendTraceNote(scratch_, startNote_);
  root_.StartElement(kRootElement);  // completed by the first record
  lastSave_ = TraceCounterNow();
  lastCheck_ = lastSave_;
  recordsSinceCheck_ = 0;
  SetStateLocked(TraceState::kActive);
  if (const HRESULT written = file_.Write(scratch_); FAILED(written)) {
    FailLocked(written,
               StoppedText(filePath_, OLESTR(" could not be written: ")) + SystemReason(written));
  }
  return S_OK;
}

HRESULT CTraceLog::CreateFileLocked(const SYSTEMTIME& now, OleString& path) {
  if (!fileName_.empty()) {
    HRESULT hr = TraceFilePathForName(fileName_, path);
    if (SUCCEEDED(hr)) hr = file_.Create(path.c_str(), CREATE_ALWAYS);
    if (FAILED(hr)) startFailure_ = StartFailureText(path.empty() ? fileName_ : path, hr);
    return hr;
  }
  HRESULT hr = S_OK;
  for (int sequence = 1; sequence <= kMaxDefaultNameSequence; ++sequence) {
    hr = DefaultTraceFilePath(namePrefix_, now, sequence, path);
    if (SUCCEEDED(hr)) hr = file_.Create(path.c_str(), CREATE_NEW);
    if (hr != HRESULT_FROM_WIN32(ERROR_FILE_EXISTS) &&
        hr != HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION)) {
      break;
    }
  }
  if (FAILED(hr)) startFailure_ = StartFailureText(path.empty() ? namePrefix_ : path, hr);
  return hr;
}

HRESULT CTraceLog::SetEnabled(bool on) {
  std::lock_guard lock(mutex_);
  if (!on) {
    if (state_ == TraceState::kActive) SetStateLocked(TraceState::kStopped);
    return S_OK;
  }
  if (!enabled_.exchange(true)) return StartLocked();
  if (state_ == TraceState::kSizeLimited) return S_OK;
  if (FAILED(fault_)) return StartLocked();  // the faulty file is given up
  SetStateLocked(TraceState::kActive);       // in the same file, even when none is open
  return S_OK;
}

HRESULT CTraceLog::ConfigureTrace(OleString prefix) {
  std::lock_guard lock(mutex_);
  namePrefix_ = std::move(prefix);
  if (!enabled_ || state_ == TraceState::kActive) return S_OK;
  return StartLocked();
}

void CTraceLog::CloseFile() {
  std::lock_guard lock(mutex_);
  CloseFileLocked();
}

void CTraceLog::CloseFileLocked() {
  if (file_.isOpen()) {
    // A record still open belongs to a call that has not ended (its thread
    // is unwinding): it is closed with its inputs only, so the document is
    // complete.
    scratch_.assign(recordOpen_ ? kMethodEnd : "");
    root_.EndAll();
    AppendLocked({});
    file_.Close();
  }
  recordOpen_ = false;
  closePending_ = false;
  SetStateLocked(TraceState::kStopped);
}

void CTraceLog::MarkClosePending() {
  std::lock_guard lock(mutex_);
  closeThread_ = GetCurrentThreadId();
  closePending_ = true;
}

bool CTraceLog::closePendingHere() const {
  if (!closePending()) return false;
  std::lock_guard lock(mutex_);
  return closeThread_ == GetCurrentThreadId();
}

OleString CTraceLog::startFailure() const {
  std::lock_guard lock(mutex_);
  return startFailure_;
}

HRESULT CTraceLog::fault() const {
  std::lock_guard lock(mutex_);
  return fault_;
}

OleString CTraceLog::filePath() const {
  std::lock_guard lock(mutex_);
  return filePath_;
}

bool CTraceLog::BeginRecord(std::string_view start, LONGLONG now) {
  std::lock_guard lock(mutex_);
  if (!file_.isOpen()) return true;  // Close already ended the file
  if (++recordsSinceCheck_ < kRecordsPerCheck &&
      TraceCounterSeconds(now - lastCheck_) < kCheckSeconds) {
    return AppendStartLocked(start);
  }
  recordsSinceCheck_ = 0;
  lastCheck_ = now;
  // Another program may have deleted or cut the file meanwhile.
  switch (file_.Check()) {
    case TraceFile::Change::kDeleted:
      FailLocked(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                 StoppedText(filePath_, OLESTR(" was deleted by another program.")));
      return false;
    case TraceFile::Change::kResized:
      FailLocked(HRESULT_FROM_WIN32(ERROR_FILE_INVALID),
                 StoppedText(filePath_, OLESTR(" was cut or changed by another program.")));
      return false;
    case TraceFile::Change::kNone:
      break;
  }
  return AppendStartLocked(start);
}

bool CTraceLog::AppendStartLocked(std::string_view start) {
  scratch_.clear();
  if (!AppendLocked(start)) return false;
  recordOpen_ = true;
  return true;
}

bool CTraceLog::FinishRecord(const std::string* text, LONGLONG now) {
  std::lock_guard lock(mutex_);
  bool written = true;
  if (text != nullptr && file_.isOpen()) {
    scratch_.clear();
    written = AppendLocked(*text);
    recordOpen_ = false;
    SaveCheckLocked(now);
  }
  if (written && closePending_ && closeThread_ == GetCurrentThreadId()) CloseFileLocked();
  return written;
}

// Writes scratch_ and `text` after it; the first record also completes the
// root's start tag.
bool CTraceLog::AppendLocked(std::string_view text) {
  if (!file_.isOpen()) return true;
  root_.CompleteStartTag();  // the first record completes the root's start tag
  scratch_ += text;
  const HRESULT status = file_.Write(scratch_);
  if (FAILED(status)) {
    FailLocked(status,
               StoppedText(filePath_, OLESTR(" could not be written: ")) + SystemReason(status));
  }
  return SUCCEEDED(status);
}

void CTraceLog::FailLocked(HRESULT status, const OleString& reason) {
  fault_ = status;
  startFailure_ = reason;
  file_.Close();
  root_.EndAll();  // the writer starts afresh with the next file
  scratch_.clear();
  recordOpen_ = false;
  closePending_ = false;
  SetStateLocked(TraceState::kStopped);
}

void CTraceLog::SaveCheckLocked(LONGLONG now) {
  if (!file_.isOpen()) return;
  if (TraceCounterSeconds(now - lastSave_) < saveIntervalMinutes_ * 60.0) return;
  file_.Flush();
  if (file_.Size() > sizeMax_ && enabled_ && state_ == TraceState::kActive) {
    SetStateLocked(TraceState::kSizeLimited);
  }
  lastSave_ = now;
}

}  // namespace korvane

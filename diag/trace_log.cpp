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

}  // namespace

CTraceLog::CTraceLog() : processId_(GetCurrentProcessId()) {}

CTraceLog::~CTraceLog() {
  std::lock_guard lock(mutex_);
  if (file_.isOpen()) CloseFileLocked();
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
  state_ = TraceState::kStopped;
}

HRESULT CTraceLog::Start() {
  std::lock_guard lock(mutex_);
  return StartLocked();
}

HRESULT CTraceLog::StartLocked() {
  if (state_ == TraceState::kActive) return E_UNEXPECTED;
  SYSTEMTIME now;
  GetLocalTime(&now);
  OleString path;
  const HRESULT hr = fileName_.empty() ? DefaultTraceFilePath(namePrefix_, now, path)
                                       : TraceFilePathForName(fileName_, path);
  if (FAILED(hr)) {
    startFailure_ = StartFailureText(fileName_.empty() ? namePrefix_ : fileName_, hr);
    return hr;
  }
  const OleString stylesheet = FindTraceStylesheet(stylesheet_);

  if (file_.isOpen()) CloseFileLocked();  // a paused log's earlier file is complete
  TraceFile file;
  const HRESULT created = file.Create(path.c_str());
  if (FAILED(created)) {
    startFailure_ = StartFailureText(path, created);
    return created;
  }

  file_ = std::move(file);
  filePath_ = std::move(path);
  startFailure_.clear();
  scratch_.assign(kXmlDeclaration);
  if (!stylesheet.empty()) AppendStylesheetLine(scratch_, stylesheet);
  if (!startNote_.empty()) AppendTraceNote(scratch_, startNote_);
  root_.StartElement(kRootElement);  // completed by the first record
  file_.Write(scratch_);             // a failed write is not reported
  lastSave_ = TraceCounterNow();
  state_ = TraceState::kActive;
  return S_OK;
}

HRESULT CTraceLog::SetEnabled(bool on) {
  std::lock_guard lock(mutex_);
  if (!on) {
    if (state_ == TraceState::kActive) state_ = TraceState::kStopped;
    return S_OK;
  }
  if (!enabled_.exchange(true)) return StartLocked();
  if (state_ == TraceState::kSizeLimited) return S_OK;
  state_ = TraceState::kActive;  // in the same file, even when none is open
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
    // A record still open belongs to a call that has not ended: it is closed
    // with its inputs only, so the document is complete; its rest is dropped.
    scratch_.assign(openRecord_ != 0 ? kMethodEnd : "");
    scratch_ += waiting_;
    root_.EndAll();
    file_.Write(scratch_);
    file_.Close();
  }
  openRecord_ = 0;
  waiting_.clear();
  closeAfterOpenRecord_ = false;
  closePending_ = false;
  state_ = TraceState::kStopped;
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

OleString CTraceLog::filePath() const {
  std::lock_guard lock(mutex_);
  return filePath_;
}

uint64_t CTraceLog::BeginRecord(std::string_view start) {
  std::lock_guard lock(mutex_);
  if (openRecord_ != 0 || !file_.isOpen()) return 0;
  AppendLocked(start);
  openRecord_ = ++lastRecord_;
  return openRecord_;
}

void CTraceLog::FinishRecord(uint64_t record, const std::string* text, LONGLONG now) {
  std::lock_guard lock(mutex_);
  bool written = true;
  if (text != nullptr) {
    if (record != 0) {
      // Not the open record any more when the file was ended meanwhile.
      written = record == openRecord_ && EndOpenRecordLocked(*text);
    } else if (openRecord_ != 0) {
      waiting_ += *text;
    } else {
      written = AppendLocked(*text);
    }
    SaveCheckLocked(now);
  }
  if (!closePending_ || closeThread_ != GetCurrentThreadId()) return;
  if (openRecord_ != 0) {
    closeAfterOpenRecord_ = true;  // this call's record waits for the open one
  } else if (written) {
    CloseFileLocked();
  }
}

bool CTraceLog::EndOpenRecordLocked(std::string_view rest) {
  openRecord_ = 0;
  bool written = file_.Write(rest);
  if (!waiting_.empty()) {
    written = file_.Write(waiting_) && written;
    waiting_.clear();
  }
  if (closeAfterOpenRecord_) CloseFileLocked();
  return written;
}

bool CTraceLog::AppendLocked(std::string_view record) {
  if (!file_.isOpen()) return true;  // Close already ended the file
  scratch_.clear();
  if (!root_.CompleteStartTag()) return file_.Write(record);
  scratch_ += record;  // the first record goes out with the root's ">"
  return file_.Write(scratch_);
}

void CTraceLog::SaveCheckLocked(LONGLONG now) {
  if (!file_.isOpen()) return;
  if (TraceCounterSeconds(now - lastSave_) < saveIntervalMinutes_ * 60.0) return;
  file_.Flush();
  if (file_.Size() > sizeMax_ && enabled_ && state_ == TraceState::kActive) {
    state_ = TraceState::kSizeLimited;
  }
  lastSave_ = now;
}

}  // namespace korvane

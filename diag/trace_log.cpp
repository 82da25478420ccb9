#include "diag/trace_log.h"

#include "diag/trace_clock.h"
#include "diag/trace_note.h"
#include "diag/trace_path.h"
#include "diag/trace_text.h"

namespace korvane {

namespace {

constexpr std::string_view kXmlDeclaration = "<?xml version=\"1.0\"?>\r\n";
constexpr char kRootElement[] = "TraceRecords";

void AppendStylesheetLine(std::string& out, const OleString& path) {
  out += "<?xml-stylesheet type=\"text/xsl\" href=\"file:\\\\";
  AppendAnsiText(out, path.data(), path.size());
  out += "\"?>\r\n";
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
  if (FAILED(hr)) return hr;
  const OleString stylesheet = FindTraceStylesheet(stylesheet_);

  if (file_.isOpen()) CloseFileLocked();  // a paused log's earlier file is complete
  TraceFile file;
  const HRESULT created = file.Create(path.c_str());
  if (FAILED(created)) return created;

  file_ = std::move(file);
  filePath_ = std::move(path);
  scratch_.assign(kXmlDeclaration);
  if (!stylesheet.empty()) AppendStylesheetLine(scratch_, stylesheet);
  if (!startNote_.empty()) AppendTraceNote(scratch_, startNote_);
  root_.StartElement(kRootElement);  // completed by the first record
  // The header goes to the file at once; records wait in the file's buffer
  // for the save check. A failed write is not reported.
  file_.Write(scratch_);
  file_.WriteBuffered();
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
  if (!file_.isOpen()) return StartLocked();
  state_ = TraceState::kActive;
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
    scratch_.clear();
    root_.EndAll();
    file_.Write(scratch_);
    file_.Close();
  }
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

OleString CTraceLog::filePath() const {
  std::lock_guard lock(mutex_);
  return filePath_;
}

void CTraceLog::FinishRecord(const std::string* record, LONGLONG now) {
  std::lock_guard lock(mutex_);
  bool written = true;
  if (record != nullptr) {
    written = AppendLocked(*record);
    SaveCheckLocked(now);
  }
  if (written && closePending_ && closeThread_ == GetCurrentThreadId()) CloseFileLocked();
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

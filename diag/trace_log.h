#pragma once
// The call trace log of one driver object: its settings and states. The file
// writing side (Start, records, CloseFile) lives in trace_log.cpp.

#include <cstdint>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

enum class TraceState : int32_t { kActive = 0, kStopped = 1, kSizeLimited = 2 };

class CTraceLog {
 public:
  CTraceLog() = default;
  CTraceLog(const CTraceLog&) = delete;  // owns an open file
  CTraceLog& operator=(const CTraceLog&) = delete;

  // Settings, from the DriverSetup items of the option string.
  void SetFileName(OleString name) { fileName_ = std::move(name); }
  void SetStylesheet(OleString name) { stylesheet_ = std::move(name); }
  void SetSizeMax(int32_t bytes) { sizeMax_ = bytes; }
  void SetArrayEnabled(bool on) { arrayEnabled_ = on; }
  void SetArraySizeMax(int32_t elements) { arraySizeMax_ = elements; }
  void SetSaveInterval(int32_t minutes) { saveIntervalMinutes_ = minutes; }
  void SetNamePrefix(OleString prefix) { namePrefix_ = std::move(prefix); }

  const OleString& fileName() const { return fileName_; }
  const OleString& stylesheet() const { return stylesheet_; }
  int32_t sizeMax() const { return sizeMax_; }
  bool arrayEnabled() const { return arrayEnabled_; }
  int32_t arraySizeMax() const { return arraySizeMax_; }
  int32_t saveIntervalMinutes() const { return saveIntervalMinutes_; }
  const OleString& namePrefix() const { return namePrefix_; }

  // The start request: set by the Trace item (or the first switch-on through
  // TraceEnabled); ConfigureTrace starts the log when it is set.
  bool enabled() const { return enabled_; }
  void SetStartRequest(bool on) { enabled_ = on; }
  TraceState state() const { return state_; }
  void Stop() { state_ = TraceState::kStopped; }

 private:
  OleString fileName_;
  OleString namePrefix_;
  OleString stylesheet_;
  bool enabled_ = false;
  TraceState state_ = TraceState::kStopped;
  int32_t sizeMax_ = 1000000;
  bool arrayEnabled_ = false;
  int32_t arraySizeMax_ = 10;
  int32_t saveIntervalMinutes_ = 1;
};

}  // namespace korvane

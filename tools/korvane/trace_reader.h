// Reads a call trace as a stream, one Method record at a time, in one pass and in memory that does
// not grow with the file. Also reads a trace cut short by a crash: the records before the cut,
// and the call that was running, are passed on; a record cut inside a tag is dropped.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

#include "tools/korvane/trace_call.h"

namespace korvane::cli {

// Where the reading stopped.
enum class TraceEnd {
  kComplete,  // at the root's end tag
  kCut,       // the text ends (end of file or a zero byte) before the root's end tag
  kCapped,    // the byte limit was reached before the text ended
};

struct TraceReading {
  TraceEnd end = TraceEnd::kComplete;
  uint64_t bytes = 0;  // text bytes read
};

// The file is no call trace, or not well-formed before the point where it ends.
class TraceFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Calls `onCall` with every record in file order, reading at most `maxBytes` of `file`. Throws
// TraceFormatError; a failure to read the file is a TraceFormatError too.
TraceReading ReadTrace(std::FILE* file, uint64_t maxBytes,
                       const std::function<void(TraceCall&&)>& onCall);

}  // namespace korvane::cli

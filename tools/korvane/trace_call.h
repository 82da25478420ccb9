// One call of a trace as the report sees it: the Method record's fields, what the report derives
// from them (its outcome, its duration, its clock time) and the rules that read them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::cli {

struct TraceParameter {
  std::string name;
  std::string value;
  std::string type;
};

// How a call ended: its record has no HRESULT (it had not returned when the trace was cut),
// or the status is zero, positive (a warning) or negative.
enum class Outcome { kUnfinished, kOk, kWarning, kFailed };

// A duration as the record wrote it: absent (no Execution), a number of seconds, or a text that
// is no finite, non-negative number.
struct Duration {
  enum class Kind { kAbsent, kSeconds, kUnreadable } kind = Kind::kAbsent;
  double seconds = 0;
  std::string text;
};

// A StartTime ("%d:%d:%d:%d": hour, minute, second, millisecond) as milliseconds of its day.
std::optional<int64_t> ParseStartTime(std::string_view text);

Duration ParseDuration(std::string_view text);

// An HRESULT's "0x%08X" value.
std::optional<uint32_t> ParseStatus(std::string_view text);

struct TraceCall {
  uint64_t number = 0;  // 1 for the file's first record
  std::string interface;
  std::string member;
  std::string startTime;  // as written
  std::string thread;
  std::vector<TraceParameter> inputs;
  std::vector<TraceParameter> outputs;
  bool hasStatus = false;
  std::string statusText;  // as written
  std::optional<uint32_t> status;
  std::string message;
  Duration duration;

  // Filled in by the summary: the clock time (milliseconds from midnight of the trace's first
  // day; empty when StartTime cannot be read), the repeated-capability item the call was about
  // and the call that named it, and the IVI-C size query folded into this read.
  std::optional<int64_t> clock;
  std::string item;
  uint64_t itemCall = 0;
  uint64_t foldedQuery = 0;
  uint64_t foldedItemCall = 0;
  uint64_t row = 0;  // the row's place among the report's rows, from 1

  Outcome outcome() const;
  std::string qualifiedName() const { return interface + "." + member; }
};

}  // namespace korvane::cli

// What the trace report shows, gathered from the calls one at a time in memory bounded by the
// page: per member counts and times, the failures (up to a limit), the slowest calls, and the
// first and last rows when the selected calls are more than the page holds.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/korvane/trace_call.h"

namespace korvane::cli {

inline constexpr int64_t kDayMilliseconds = 24 * 60 * 60 * 1000;

// One end of the calls a report covers: a call number, or a clock time of the trace.
struct CallBound {
  enum class Kind { kNone, kNumber, kClock } kind = Kind::kNone;
  uint64_t number = 0;
  int64_t clock = 0;  // milliseconds of the day
};

// "123" (a call number) or "HH:MM[:SS[.mmm]]" (a clock time); nothing for anything else.
std::optional<CallBound> ParseCallBound(const std::string& text);

// Which calls the report covers.
struct Selection {
  CallBound from;
  CallBound to;
  std::string member;  // a part of "Interface.Member"; empty for every member
  std::string thread;  // a thread id; empty for every thread

  bool any() const;
};

struct SummaryLimits {
  size_t rows = 2000;     // rows of the call table (at least 2)
  size_t failures = 500;  // failed calls listed
  size_t slowest = 10;
  size_t members = 1000;  // members counted apart; more share one line
};

struct MemberStats {
  std::string name;  // Interface.Member
  uint64_t calls = 0;
  uint64_t failed = 0;
  uint64_t timed = 0;  // calls with a readable duration
  double total = 0;
  double max = 0;
};

class TraceSummary {
 public:
  TraceSummary(SummaryLimits limits, Selection selection);

  // Takes the trace's calls in file order.
  void Add(TraceCall&& call);
  // Passes on the calls still held back for folding; call once, after the last Add.
  void Finish();

  uint64_t traceCalls() const { return traceCalls_; }
  uint64_t selectedCalls() const { return selectedCalls_; }
  uint64_t failedCalls() const { return failedCalls_; }
  uint64_t unfinishedCalls() const { return unfinishedCalls_; }
  uint64_t unreadableDurations() const { return unreadable_; }
  uint64_t timedCalls() const { return timedCalls_; }
  double totalSeconds() const { return totalSeconds_; }
  double maxSeconds() const { return maxSeconds_; }
  uint64_t rows() const { return rows_; }
  uint64_t foldedQueries() const { return folded_; }
  // Midnights the trace's clock passed.
  int64_t days() const { return day_; }

  // Members with failures first, then by calls.
  std::vector<MemberStats> members() const;
  const std::vector<TraceCall>& failures() const { return failures_; }
  // Slowest first.
  std::vector<TraceCall> slowest() const;
  // The call table: every row when they fit, else the first and last rows, the failures listed
  // and the slowest calls, in call order.
  std::vector<TraceCall> shownRows() const;
  uint64_t leftOutRows() const;

 private:
  struct ItemContext {
    std::string item;
    uint64_t call = 0;
  };
  struct ThreadState {
    std::map<std::string, ItemContext> items;  // by the stem of the collection's interface
    std::optional<TraceCall> pendingRead;      // a string read that may be a size query
    std::optional<TraceCall> pendingItem;      // the get_Item that repeats its item
  };

  void SetClock(TraceCall& call);
  void ResolveClockBounds(int64_t firstTime);
  void SetItem(ThreadState& state, TraceCall& call);
  bool Selects(const TraceCall& call) const;
  void Count(const TraceCall& call);
  void Fold(ThreadState& state, TraceCall&& call);
  void Release(ThreadState& state);
  void Row(TraceCall&& call);

  SummaryLimits limits_;
  Selection selection_;
  uint64_t traceCalls_ = 0;
  uint64_t selectedCalls_ = 0;
  uint64_t failedCalls_ = 0;
  uint64_t unfinishedCalls_ = 0;
  uint64_t unreadable_ = 0;
  uint64_t timedCalls_ = 0;
  double totalSeconds_ = 0;
  double maxSeconds_ = 0;
  uint64_t rows_ = 0;
  uint64_t folded_ = 0;
  std::optional<int64_t> lastTime_;
  int64_t day_ = 0;
  std::unordered_map<std::string, MemberStats> members_;
  std::unordered_map<std::string, ThreadState> threads_;
  std::vector<TraceCall> failures_;
  std::vector<TraceCall> slowest_;  // a min-heap on the duration
  std::vector<TraceCall> first_;    // every row until they overflow the table, then the first half
  std::deque<TraceCall> last_;
  bool overflowed_ = false;
};

}  // namespace korvane::cli

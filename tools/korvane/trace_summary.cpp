#include "tools/korvane/trace_summary.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "com/catalogue.h"

namespace korvane::cli {
namespace {

// The interfaces of the repeated-capability items, from the catalogue of interfaces.
struct InterfaceKind {
  std::string_view name;
  bool item;
};
#define KORVANE_INTERFACE_KIND(Interface, Base, Id, Kind) \
  InterfaceKind{#Interface, std::string_view(#Kind) == "Item"},
constexpr InterfaceKind kInterfaceKinds[] = {KORVANE_INTERFACES(KORVANE_INTERFACE_KIND)};
#undef KORVANE_INTERFACE_KIND

bool IsItemInterface(std::string_view name) {
  return std::any_of(std::begin(kInterfaceKinds), std::end(kInterfaceKinds),
                     [&](const InterfaceKind& kind) { return kind.item && kind.name == name; });
}

// A collection's items have interfaces named after it without its plural "s":
// IKorvaneVoltageRails names IKorvaneVoltageRail and IKorvaneVoltageRailAlarm.
std::string CollectionStem(const std::string& collection) {
  return !collection.empty() && collection.back() == 's'
             ? collection.substr(0, collection.size() - 1)
             : collection;
}

bool IsItemLookup(const TraceCall& call) {
  return call.member == "get_Item" && !call.inputs.empty() && call.outcome() == Outcome::kOk;
}

// A successful property read that returns a text: what an IVI-C string read calls twice, first
// for the size its buffer needs.
bool IsStringRead(const TraceCall& call) {
  return call.outcome() == Outcome::kOk && call.member.rfind("get_", 0) == 0 &&
         std::any_of(call.outputs.begin(), call.outputs.end(),
                     [](const TraceParameter& p) { return p.type == "String"; });
}

bool SameParameters(const std::vector<TraceParameter>& a, const std::vector<TraceParameter>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const TraceParameter& x, const TraceParameter& y) {
                      return x.name == y.name && x.value == y.value && x.type == y.type;
                    });
}

bool SameRead(const TraceCall& query, const TraceCall& read) {
  return IsStringRead(read) && query.interface == read.interface && query.member == read.member &&
         query.item == read.item && SameParameters(query.inputs, read.inputs) &&
         SameParameters(query.outputs, read.outputs);
}

bool Slower(const TraceCall& a, const TraceCall& b) {
  return a.duration.seconds > b.duration.seconds ||
         (a.duration.seconds == b.duration.seconds && a.number < b.number);
}

// More threads than this in flight at once (a hostile file) release their held calls.
constexpr size_t kMaxThreads = 4096;

}  // namespace

std::optional<CallBound> ParseCallBound(const std::string& text) {
  CallBound bound;
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bound.number);
    if (error != std::errc() || bound.number == 0) return std::nullopt;
    bound.kind = CallBound::Kind::kNumber;
    return bound;
  }
  // HH:MM[:SS[.mmm]] as the trace's own H:M:S:ms.
  std::string clock = text;
  const size_t colons = std::count(clock.begin(), clock.end(), ':');
  const size_t dot = clock.find('.');
  if (colons == 0 || colons > 2 || clock.find_first_not_of("0123456789:.") != std::string::npos)
    return std::nullopt;
  std::string milli = "0";
  if (dot != std::string::npos) {
    milli = clock.substr(dot + 1);
    clock.resize(dot);
    if (colons != 2 || milli.empty() || milli.size() > 3) return std::nullopt;
    milli.append(3 - milli.size(), '0');
  }
  if (colons == 1) clock += ":0";
  const auto value = ParseStartTime(clock + ":" + milli);
  if (!value) return std::nullopt;
  bound.kind = CallBound::Kind::kClock;
  bound.clock = *value;
  return bound;
}

bool Selection::any() const {
  return from.kind != CallBound::Kind::kNone || to.kind != CallBound::Kind::kNone ||
         !member.empty() || !thread.empty();
}

TraceSummary::TraceSummary(SummaryLimits limits, Selection selection)
    : limits_(limits), selection_(std::move(selection)) {
  limits_.rows = std::max<size_t>(limits_.rows, 2);
}

// A clock time names its first occurrence in the trace: on the first call's day when it is not
// earlier than that call, else on the next; a range that would end before it starts runs past
// midnight.
void TraceSummary::ResolveClockBounds(int64_t firstTime) {
  for (CallBound* bound : {&selection_.from, &selection_.to}) {
    if (bound->kind == CallBound::Kind::kClock && bound->clock < firstTime)
      bound->clock += kDayMilliseconds;
  }
  if (selection_.from.kind == CallBound::Kind::kClock &&
      selection_.to.kind == CallBound::Kind::kClock && selection_.to.clock < selection_.from.clock)
    selection_.to.clock += kDayMilliseconds;
}

void TraceSummary::Add(TraceCall&& call) {
  ++traceCalls_;
  SetClock(call);
  if (threads_.size() >= kMaxThreads && threads_.find(call.thread) == threads_.end()) {
    for (auto& [id, state] : threads_) Release(state);
    threads_.clear();
  }
  ThreadState& state = threads_[call.thread];
  SetItem(state, call);
  if (!Selects(call)) return;
  Count(call);
  Fold(state, std::move(call));
}

void TraceSummary::Finish() {
  for (auto& [id, state] : threads_) Release(state);
}

// Records are written in the order the calls started, across threads a little out of order: the
// clock passed midnight when it goes back by more than half a day.
void TraceSummary::SetClock(TraceCall& call) {
  const auto time = ParseStartTime(call.startTime);
  if (!time) return;
  if (!lastTime_) ResolveClockBounds(*time);
  if (lastTime_ && *time < *lastTime_ - kDayMilliseconds / 2) ++day_;
  lastTime_ = time;
  call.clock = *time + day_ * kDayMilliseconds;
}

// A call on an item's interface is about the item that the thread's last get_Item of its
// collection returned.
void TraceSummary::SetItem(ThreadState& state, TraceCall& call) {
  if (IsItemLookup(call)) {
    state.items[CollectionStem(call.interface)] = {call.inputs.front().value, call.number};
    return;
  }
  if (!IsItemInterface(call.interface)) return;
  for (const auto& [stem, context] : state.items) {
    if (call.interface.rfind(stem, 0) != 0) continue;
    call.item = context.item;
    call.itemCall = context.call;
    return;
  }
}

bool TraceSummary::Selects(const TraceCall& call) const {
  const auto after = [&](const CallBound& bound) {
    if (bound.kind == CallBound::Kind::kNumber) return call.number >= bound.number;
    if (bound.kind == CallBound::Kind::kClock) return call.clock && *call.clock >= bound.clock;
    return true;
  };
  const auto before = [&](const CallBound& bound) {
    if (bound.kind == CallBound::Kind::kNumber) return call.number <= bound.number;
    if (bound.kind == CallBound::Kind::kClock) return call.clock && *call.clock <= bound.clock;
    return true;
  };
  return after(selection_.from) && before(selection_.to) &&
         (selection_.member.empty() ||
          call.qualifiedName().find(selection_.member) != std::string::npos) &&
         (selection_.thread.empty() || call.thread == selection_.thread);
}

void TraceSummary::Count(const TraceCall& call) {
  ++selectedCalls_;
  const std::string name =
      members_.size() < limits_.members || members_.count(call.qualifiedName()) != 0
          ? call.qualifiedName()
          : "(other members)";
  MemberStats& member = members_[name];
  member.name = name;
  ++member.calls;
  const Outcome outcome = call.outcome();
  if (outcome == Outcome::kFailed) {
    ++failedCalls_;
    ++member.failed;
  }
  if (outcome == Outcome::kUnfinished) ++unfinishedCalls_;
  if (call.duration.kind == Duration::Kind::kUnreadable) ++unreadable_;
  if (call.duration.kind != Duration::Kind::kSeconds) return;
  const double seconds = call.duration.seconds;
  ++member.timed;
  member.total += seconds;
  member.max = std::max(member.max, seconds);
  ++timedCalls_;
  totalSeconds_ += seconds;
  maxSeconds_ = std::max(maxSeconds_, seconds);
}

// An IVI-C string read calls the property twice, first with no buffer for the size, each time
// through the item's get_Item when it names one: the second read stands for both.
void TraceSummary::Fold(ThreadState& state, TraceCall&& call) {
  if (state.pendingRead) {
    const TraceCall& query = *state.pendingRead;
    if (!state.pendingItem && IsItemLookup(call) && call.inputs.front().value == query.item &&
        query.itemCall != 0) {
      state.pendingItem = std::move(call);
      return;
    }
    if (SameRead(query, call)) {
      call.foldedQuery = query.number;
      call.itemCall = query.itemCall;
      call.foldedItemCall = state.pendingItem ? state.pendingItem->number : 0;
      state.pendingRead.reset();
      state.pendingItem.reset();
      ++folded_;
      Row(std::move(call));
      return;
    }
    Release(state);
  }
  if (IsStringRead(call)) {
    state.pendingRead = std::move(call);
    return;
  }
  Row(std::move(call));
}

void TraceSummary::Release(ThreadState& state) {
  if (state.pendingRead) Row(std::move(*state.pendingRead));
  if (state.pendingItem) Row(std::move(*state.pendingItem));
  state.pendingRead.reset();
  state.pendingItem.reset();
}

void TraceSummary::Row(TraceCall&& call) {
  call.row = ++rows_;
  if (call.outcome() == Outcome::kFailed && failures_.size() < limits_.failures)
    failures_.push_back(call);
  if (call.duration.kind == Duration::Kind::kSeconds && limits_.slowest > 0) {
    const auto faster = [](const TraceCall& a, const TraceCall& b) { return Slower(a, b); };
    if (slowest_.size() < limits_.slowest) {
      slowest_.push_back(call);
      std::push_heap(slowest_.begin(), slowest_.end(), faster);
    } else if (Slower(call, slowest_.front())) {
      std::pop_heap(slowest_.begin(), slowest_.end(), faster);
      slowest_.back() = call;
      std::push_heap(slowest_.begin(), slowest_.end(), faster);
    }
  }
  if (!overflowed_) {
    first_.push_back(std::move(call));
    if (first_.size() <= limits_.rows) return;
    // More rows than the table holds: keep its first half and, from now on, the last half.
    overflowed_ = true;
    const size_t head = limits_.rows - limits_.rows / 2;
    last_.assign(std::make_move_iterator(first_.end() - static_cast<ptrdiff_t>(limits_.rows / 2)),
                 std::make_move_iterator(first_.end()));
    first_.resize(head);
    return;
  }
  last_.push_back(std::move(call));
  if (last_.size() > limits_.rows / 2) last_.pop_front();
}

std::vector<MemberStats> TraceSummary::members() const {
  std::vector<MemberStats> sorted;
  sorted.reserve(members_.size());
  for (const auto& [name, stats] : members_) sorted.push_back(stats);
  std::sort(sorted.begin(), sorted.end(), [](const MemberStats& a, const MemberStats& b) {
    if ((a.failed > 0) != (b.failed > 0)) return a.failed > 0;
    if (a.calls != b.calls) return a.calls > b.calls;
    return a.name < b.name;
  });
  return sorted;
}

std::vector<TraceCall> TraceSummary::slowest() const {
  std::vector<TraceCall> sorted = slowest_;
  std::sort(sorted.begin(), sorted.end(), Slower);
  return sorted;
}

std::vector<TraceCall> TraceSummary::shownRows() const {
  std::vector<TraceCall> rows(first_.begin(), first_.end());
  if (overflowed_) {
    rows.insert(rows.end(), last_.begin(), last_.end());
    rows.insert(rows.end(), failures_.begin(), failures_.end());
    rows.insert(rows.end(), slowest_.begin(), slowest_.end());
  }
  std::sort(rows.begin(), rows.end(),
            [](const TraceCall& a, const TraceCall& b) { return a.number < b.number; });
  rows.erase(
      std::unique(rows.begin(), rows.end(),
                  [](const TraceCall& a, const TraceCall& b) { return a.number == b.number; }),
      rows.end());
  return rows;
}

uint64_t TraceSummary::leftOutRows() const {
  return rows_ - shownRows().size();
}

}  // namespace korvane::cli

#include "tools/korvane/trace_page.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <set>

#include "ivic/Korvane.h"
#include "ivic/result_runs.h"
#include "tools/korvane/html_text.h"

namespace korvane::cli {
namespace {

constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.4em; } h2 { font-size: 1.1em; margin-top: 1.5em; }
table { border-collapse: collapse; font-size: 0.9em; }
th, td { border: 1px solid #ccc; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
th { background: #eef; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
td.num, td.time { white-space: nowrap; }
tr.failed { background: #fdd; } tr.failed td.status { color: #a00; font-weight: bold; }
tr.warning td.status { color: #850; }
tr.unfinished { background: #ffe9b3; }
tr.slowest td.duration { font-weight: bold; }
tr.member.failed td.failed { color: #a00; font-weight: bold; }
tr.gap td { background: #f4f4f4; font-style: italic; text-align: center; }
tr:target { outline: 2px solid #06c; }
.params { font-family: monospace; white-space: pre-wrap; }
.folded { color: #666; font-size: 0.85em; }
.unreadable { color: #a00; }
p.banner { background: #ffe9b3; border: 1px solid #d90; padding: 0.5em; }
#failures ol { max-height: 16em; overflow-y: auto; border: 1px solid #ddd; padding: 0.3em 0.3em 0.3em 3em; }
#failures li { margin: 0.2em 0; }
#filters { margin: 0.5em 0; } #filters label { margin-right: 1em; }
)";

// Rows that match the member, thread and search text stay visible; a plain script, no network.
constexpr const char* kScript = R"(
(function () {
  var rows = Array.prototype.slice.call(document.querySelectorAll('#calls tr.call'));
  var member = document.getElementById('member-filter');
  var thread = document.getElementById('thread-filter');
  var search = document.getElementById('search');
  var shown = document.getElementById('shown-rows');
  function fill(select, key) {
    var seen = {};
    rows.forEach(function (row) { seen[row.dataset[key]] = true; });
    Object.keys(seen).sort().forEach(function (value) {
      var option = document.createElement('option');
      option.value = value; option.textContent = value; select.appendChild(option);
    });
  }
  function apply() {
    var text = search.value.toLowerCase(), count = 0;
    rows.forEach(function (row) {
      var visible = (!member.value || row.dataset.member === member.value) &&
                    (!thread.value || row.dataset.thread === thread.value) &&
                    (!text || row.textContent.toLowerCase().indexOf(text) >= 0);
      row.style.display = visible ? '' : 'none';
      if (visible) count++;
    });
    document.querySelectorAll('#calls tr.gap').forEach(function (gap) {
      gap.style.display = member.value || thread.value || text ? 'none' : '';
    });
    shown.textContent = count;
  }
  fill(member, 'member'); fill(thread, 'thread');
  var query = new URLSearchParams(window.location.search);
  member.value = query.get('member') || ''; thread.value = query.get('thread') || '';
  search.value = query.get('search') || '';
  [member, thread].forEach(function (e) { e.addEventListener('change', apply); });
  search.addEventListener('input', apply);
  apply();
})();
)";

std::string Grouped(uint64_t value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string Seconds(double seconds) {
  char text[64];
  if (seconds < 1e-3)
    std::snprintf(text, sizeof text, "%.1f µs", seconds * 1e6);
  else if (seconds < 1)
    std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
  else
    std::snprintf(text, sizeof text, "%.3f s", seconds);
  return text;
}

std::string Bytes(uint64_t bytes) {
  char text[64];
  if (bytes >= (uint64_t{1} << 30))
    std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1 << 30));
  else
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

class Page {
 public:
  Page(std::ostream& out, const TraceSummary& summary, const PageFacts& facts)
      : out_(out), summary_(summary), facts_(facts) {}

  void Write() {
    const std::string title = "Korvane call trace: " + HtmlEscaped(facts_.source);
    out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"UTF-8\">\n<title>"
         << title << "</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n<h1>" << title
         << "</h1>\n";
    Banners();
    Failures();
    Summary();
    Slowest();
    Calls();
    out_ << "<script>" << kScript << "</script>\n</body>\n</html>\n";
  }

 private:
  std::string Time(const TraceCall& call) const {
    if (!call.clock) return HtmlEscaped(call.startTime);
    const int64_t day = *call.clock / kDayMilliseconds;
    int64_t ms = *call.clock % kDayMilliseconds;
    char clock[32];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    if (!facts_.firstDay) return clock;
    const std::chrono::year_month_day date{*facts_.firstDay + std::chrono::days(day)};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %s", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), clock);
    return text;
  }

  // "OK", or the COM status with the IVI-C status a C client receives for it.
  static std::string Status(const TraceCall& call) {
    if (!call.hasStatus) return "did not return";
    if (!call.status) return "unreadable status " + HtmlEscaped(call.statusText);
    if (*call.status == 0) return "OK";
    const uint32_t cStatus = ivic::RunStatusOfResult(*call.status)
                                 .value_or(static_cast<uint32_t>(KORVANE_ERROR_GENERIC));
    char text[64];
    std::snprintf(text, sizeof text, "0x%08" PRIX32 " (IVI-C 0x%08" PRIX32 ")", *call.status,
                  cStatus);
    std::string status = text;
    if (!call.message.empty()) status += ": " + HtmlEscaped(call.message);
    return status;
  }

  static std::string Duration(const TraceCall& call) {
    switch (call.duration.kind) {
      case Duration::Kind::kAbsent:
        return "";
      case Duration::Kind::kSeconds:
        return Seconds(call.duration.seconds);
      case Duration::Kind::kUnreadable:
        break;
    }
    return "<span class=\"unreadable\" title=\"ExecutionTime=&quot;" +
           HtmlEscaped(call.duration.text) + "&quot;\">unreadable</span>";
  }

  static std::string Item(const TraceCall& call) {
    return call.item.empty() ? "" : HtmlEscaped(call.item);
  }

  // One line naming a call, for the lists that link to its row.
  std::string Link(const TraceCall& call) const {
    std::string text = "<a href=\"#call-" + std::to_string(call.number) + "\">#" +
                       std::to_string(call.number) + "</a> " + Time(call) + " thread " +
                       HtmlEscaped(call.thread) + " " + HtmlEscaped(call.qualifiedName());
    if (!call.item.empty()) text += " [" + HtmlEscaped(call.item) + "]";
    return text;
  }

  void Banners() {
    if (facts_.reading.end == TraceEnd::kCut)
      out_ << "<p class=\"banner\" id=\"truncated\">This trace was cut short: the file ends before "
              "its closing tag, as it does when the process ended without closing the driver. "
           << Grouped(summary_.unfinishedCalls()) << " call(s) had not returned.</p>\n";
    if (facts_.reading.end == TraceEnd::kCapped)
      out_ << "<p class=\"banner\" id=\"capped\">Only the first " << Bytes(facts_.reading.bytes)
           << " of this " << Bytes(facts_.fileBytes)
           << " trace were read; pass a larger <code>--max-size</code> to read more.</p>\n";
    if (!facts_.selection.empty())
      out_ << "<p class=\"banner\" id=\"selection\">This page covers the "
           << Grouped(summary_.selectedCalls()) << " of the trace's "
           << Grouped(summary_.traceCalls()) << " calls selected by <code>"
           << HtmlEscaped(facts_.selection) << "</code>.</p>\n";
    if (summary_.leftOutRows() > 0)
      out_ << "<p class=\"banner\" id=\"left-out\"><span id=\"left-out-count\">"
           << Grouped(summary_.leftOutRows()) << "</span> of " << Grouped(summary_.rows())
           << " rows were left out of the call table, which holds " << Grouped(facts_.rowsLimit)
           << ": it shows the first and last rows, the failures and the slowest calls. "
              "To see the others, select them with <code>--from</code> and <code>--to</code> "
              "(a call number or a time such as 14:05:30), <code>--member</code> or "
              "<code>--thread</code>, or pass a larger <code>--rows</code>.</p>\n";
  }

  void Failures() {
    out_ << "<section id=\"failures\">\n<h2>Failures</h2>\n<p><span id=\"failure-count\">"
         << Grouped(summary_.failedCalls()) << "</span> failed call(s)";
    const auto& failures = summary_.failures();
    if (failures.size() < summary_.failedCalls())
      out_ << "; the first " << Grouped(failures.size()) << " are listed";
    out_ << ".</p>\n";
    if (!failures.empty()) {
      out_ << "<ol>\n";
      for (const TraceCall& call : failures)
        out_ << "<li>" << Link(call) << ": " << Status(call) << "</li>\n";
      out_ << "</ol>\n";
    }
    out_ << "</section>\n";
  }

  void Summary() {
    out_ << "<h2>Summary</h2>\n<p id=\"summary\"><span id=\"call-count\">"
         << Grouped(summary_.selectedCalls()) << "</span> calls, "
         << Grouped(summary_.failedCalls()) << " failed, " << Grouped(summary_.unfinishedCalls())
         << " did not return; total " << Seconds(summary_.totalSeconds()) << ", slowest "
         << Seconds(summary_.maxSeconds());
    if (summary_.unreadableDurations() > 0)
      out_ << "; <span class=\"unreadable\">" << Grouped(summary_.unreadableDurations())
           << " duration(s) unreadable</span>";
    out_ << ". Times are the calls' local start times";
    if (facts_.firstDay) out_ << ", dated " << HtmlEscaped(facts_.dayOrigin);
    if (summary_.foldedQueries() > 0)
      out_ << ". " << Grouped(summary_.foldedQueries())
           << " IVI-C size queries are folded into the string reads they precede";
    out_ << ".</p>\n<table id=\"members\">\n<tr><th>Member</th><th>Calls</th><th>Failed</th>"
            "<th>Total</th><th>Mean</th><th>Max</th></tr>\n";
    for (const MemberStats& member : summary_.members()) {
      out_ << "<tr class=\"member" << (member.failed > 0 ? " failed" : "") << "\"><td>"
           << HtmlEscaped(member.name) << "</td><td class=\"num\">" << Grouped(member.calls)
           << "</td><td class=\"num failed\">" << Grouped(member.failed) << "</td>";
      if (member.timed > 0)
        out_ << "<td class=\"num\">" << Seconds(member.total) << "</td><td class=\"num\">"
             << Seconds(member.total / static_cast<double>(member.timed))
             << "</td><td class=\"num\">" << Seconds(member.max) << "</td>";
      else
        out_ << "<td></td><td></td><td></td>";
      out_ << "</tr>\n";
    }
    out_ << "</table>\n";
  }

  void Slowest() {
    const auto slowest = summary_.slowest();
    if (slowest.empty()) return;
    out_ << "<h2>Slowest calls</h2>\n<ol id=\"slowest\">\n";
    for (const TraceCall& call : slowest)
      out_ << "<li>" << Link(call) << ": " << Seconds(call.duration.seconds) << "</li>\n";
    out_ << "</ol>\n";
  }

  static std::string Parameters(const std::vector<TraceParameter>& parameters) {
    std::string text;
    for (const TraceParameter& p : parameters) {
      if (!text.empty()) text += '\n';
      text += HtmlEscaped(p.name) + " = " + HtmlEscaped(p.value) + " (" + HtmlEscaped(p.type) + ")";
    }
    return text;
  }

  void Row(const TraceCall& call, const std::set<uint64_t>& slowest) {
    static constexpr const char* kStates[] = {"unfinished", "ok", "warning", "failed"};
    out_ << "<tr id=\"call-" << call.number << "\" class=\"call "
         << kStates[static_cast<int>(call.outcome())]
         << (slowest.count(call.number) != 0 ? " slowest" : "") << "\" data-member=\""
         << HtmlEscaped(call.qualifiedName()) << "\" data-thread=\"" << HtmlEscaped(call.thread)
         << "\"><td class=\"num\">" << call.number;
    if (call.foldedQuery != 0) {
      out_ << "<br><span class=\"folded\">size query<br>#" << call.foldedQuery;
      if (call.foldedItemCall != 0) out_ << " and get_Item<br>#" << call.foldedItemCall;
      out_ << " folded</span>";
    }
    out_ << "</td><td class=\"time\">" << Time(call) << "</td><td class=\"num\">"
         << HtmlEscaped(call.thread) << "</td><td>" << HtmlEscaped(call.interface)
         << "</td><td class=\"member\">" << HtmlEscaped(call.member) << "</td><td class=\"item\">"
         << Item(call) << "</td><td class=\"params\">" << Parameters(call.inputs)
         << "</td><td class=\"params\">" << Parameters(call.outputs) << "</td><td class=\"status\">"
         << Status(call) << "</td><td class=\"num duration\">" << Duration(call) << "</td></tr>\n";
  }

  // The rows left out between two shown ones (numbers are the calls' numbers around them).
  void Gap(uint64_t rows, uint64_t from, uint64_t to) {
    out_ << "<tr class=\"gap\"><td colspan=\"10\">" << Grouped(rows) << " rows left out";
    if (from <= to)
      out_ << " (calls #" << from << " to #" << to << ": <code>--from " << from << " --to " << to
           << "</code> shows them)";
    out_ << "</td></tr>\n";
  }

  void Calls() {
    const auto rows = summary_.shownRows();
    std::set<uint64_t> slowest;
    for (const TraceCall& call : summary_.slowest()) slowest.insert(call.number);
    out_ << "<h2>Calls</h2>\n<div id=\"filters\"><label>Member <select id=\"member-filter\">"
            "<option value=\"\">all</option></select></label><label>Thread <select "
            "id=\"thread-filter\"><option value=\"\">all</option></select></label><label>Search "
            "<input id=\"search\" type=\"search\"></label><span id=\"shown-rows\">"
         << rows.size() << "</span> of " << rows.size() << " rows shown</div>\n"
         << "<table id=\"calls\">\n<tr><th>#</th><th>Time</th><th>Thread</th><th>Interface</th>"
            "<th>Member</th><th>Item</th><th>Inputs</th><th>Outputs</th><th>Status</th>"
            "<th>Duration</th></tr>\n";
    uint64_t previousRow = 0;
    uint64_t previousNumber = 0;
    for (const TraceCall& call : rows) {
      if (call.row > previousRow + 1)
        Gap(call.row - previousRow - 1, previousNumber + 1, call.number - 1);
      Row(call, slowest);
      previousRow = std::max(previousRow, call.row);
      previousNumber = call.number;
    }
    if (summary_.rows() > previousRow)
      Gap(summary_.rows() - previousRow, previousNumber + 1, summary_.traceCalls());
    out_ << "</table>\n";
  }

  std::ostream& out_;
  const TraceSummary& summary_;
  const PageFacts& facts_;
};

}  // namespace

void WriteTracePage(std::ostream& out, const TraceSummary& summary, const PageFacts& facts) {
  Page(out, summary, facts).Write();
}

}  // namespace korvane::cli

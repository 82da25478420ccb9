// The command line of `korvane trace report`, the same in every build.
#include <CLI/CLI.hpp>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <string>

#include "tools/korvane/trace_report.h"
#include "tools/korvane/trace_summary.h"

namespace korvane::cli {
namespace {

std::string CheckBound(const std::string& text) {
  return ParseCallBound(text) ? std::string()
                              : "'" + text +
                                    "' is neither a call number (1, 2, ...) nor a time "
                                    "HH:MM[:SS[.mmm]]";
}

// "500M", "2G", "1048576": bytes with an optional binary K, M or G.
std::string ParseSize(std::string& text) {
  std::string digits = text;
  unsigned shift = 0;
  if (!digits.empty()) {
    const char unit = static_cast<char>(std::toupper(static_cast<unsigned char>(digits.back())));
    shift = unit == 'K' ? 10 : unit == 'M' ? 20 : unit == 'G' ? 30 : 0;
    if (shift != 0) digits.pop_back();
  }
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      value == 0 || value > (UINT64_MAX >> shift))
    return "'" + text + "' is no size; write bytes, or a number with K, M or G (as in 4G)";
  text = std::to_string(value << shift);
  return {};
}

}  // namespace

void AddTraceReportCommand(CLI::App& trace, ReportRequest& request, int& result) {
  auto* report = trace.add_subcommand("report", "Render a trace as a self-contained HTML page");
  report->add_option("TRACE", request.trace, "The trace file (also one cut short)")->required();
  report->add_option("-o,--output", request.page, "The HTML file to write")->required();
  report
      ->add_option("--rows", request.rows,
                   "Rows of the call table; a longer trace shows its first and last calls, its "
                   "failures and its slowest calls")
      ->capture_default_str()
      ->check(CLI::Range(size_t{10}, size_t{1000000}));
  report
      ->add_option("--from", request.from,
                   "The first call to show: a call number or a time HH:MM[:SS[.mmm]]")
      ->check(CLI::Validator(CheckBound, "CALL|TIME"));
  report->add_option("--to", request.to, "The last call to show: a call number or a time")
      ->check(CLI::Validator(CheckBound, "CALL|TIME"));
  report->add_option("--member", request.member,
                     "Only calls of the members whose Interface.Member holds this text");
  report->add_option("--thread", request.thread, "Only calls of this thread id");
  report
      ->add_option("--max-size", request.maxBytes,
                   "Read at most this much of the trace (K, M or G; default 2G)")
      ->transform(CLI::Validator(ParseSize, "SIZE"));
  report->callback([&] { result = TraceReport(request); });
}

}  // namespace korvane::cli

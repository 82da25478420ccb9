// `korvane trace report TRACE.xml -o report.html`: a call trace as one self-contained HTML page,
// read as a stream so that a trace of any size is reported in one pass and bounded memory.
#pragma once

#include <cstdint>
#include <string>

namespace CLI {
class App;
}

namespace korvane::cli {

struct ReportRequest {
  std::string trace;
  std::string page;
  size_t rows = 2000;
  std::string from;  // a call number or a clock time; empty: the first call
  std::string to;
  std::string member;
  std::string thread;
  uint64_t maxBytes = uint64_t{2} << 30;
};

// Also reads a trace cut short (no closing root tag, a last record unfinished). Returns the exit
// code; failures are described on stderr, and no exception leaves it.
int TraceReport(const ReportRequest& request);

// Adds `report` with its options to the `trace` command; running it stores its exit code.
void AddTraceReportCommand(CLI::App& trace, ReportRequest& request, int& result);

}  // namespace korvane::cli

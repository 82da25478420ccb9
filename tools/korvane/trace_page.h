// The trace report's page: one self-contained HTML file (its style and its filter script inline,
// nothing fetched) showing a TraceSummary.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "tools/korvane/trace_reader.h"
#include "tools/korvane/trace_summary.h"

namespace korvane::cli {

struct PageFacts {
  std::string source;  // the trace's file name
  TraceReading reading;
  uint64_t fileBytes = 0;
  std::optional<std::chrono::sys_days> firstDay;  // the date of the trace's first call
  std::string dayOrigin;                          // where that date comes from
  std::string selection;                          // the options that selected the calls
  size_t rowsLimit = 0;
};

void WriteTracePage(std::ostream& out, const TraceSummary& summary, const PageFacts& facts);

}  // namespace korvane::cli

// `korvane trace report TRACE.xml -o report.html`: the call trace as one
// self-contained HTML page, through the stylesheet trace.xslt.
#pragma once

#include <string>

namespace korvane::cli {

// Also reads a trace cut short (no closing root tag, a last record unfinished).
// Returns the exit code; failures are described on stderr.
int TraceReport(const std::string& tracePath, const std::string& htmlPath);

}  // namespace korvane::cli

// The trace report where libxml2 is not at hand (the Windows cross build):
// korvane says so and how else to read the trace.
#include <cstdio>

#include "tools/korvane/exit_codes.h"
#include "tools/korvane/trace_report.h"

namespace korvane::cli {

int TraceReport(const ReportRequest& request) {
  std::fprintf(stderr,
               "korvane: this build has no trace report; render %s with the Linux build's "
               "`korvane trace report`, or name trace.xslt with the TraceTransform option\n",
               request.trace.c_str());
  return kExitUsage;
}

}  // namespace korvane::cli

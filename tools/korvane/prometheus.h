// The Prometheus text exposition of one or more chassis: `korvane serve`'s
// /metrics and `korvane status --format prometheus`.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "tools/korvane/chassis_monitor.h"

namespace korvane::cli {

// Every metric family once, with the samples of each chassis in it. A value
// that failed is left out (and counted in korvane_read_errors_total and
// korvane_reading_failed_values); a chassis without a reading has only
// korvane_up 0 and the reading's own metrics.
void WriteExposition(std::ostream& out, const std::vector<ChassisSample>& chassis);

// A label value with backslash, double quote and line feed escaped.
std::string EscapeLabelValue(std::string_view text);
// The shortest text that reads back as the same double; NaN, +Inf and -Inf
// as the format spells them.
std::string FormatNumber(double value);

// A sample of a reading made just now, as `korvane status` makes it.
ChassisSample SampleOf(HealthReport report, std::string name);

}  // namespace korvane::cli

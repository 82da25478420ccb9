// The health page of `korvane serve` (GET /): what `korvane status` shows,
// for every chassis, as one self-contained HTML page that reloads itself.
#pragma once

#include <iosfwd>
#include <vector>

#include "tools/korvane/chassis_monitor.h"

namespace korvane::cli {

void WriteHealthPage(std::ostream& out, const std::vector<ChassisSample>& chassis,
                     double refreshSeconds);

}  // namespace korvane::cli

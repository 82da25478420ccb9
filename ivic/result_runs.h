// The translation of the driver's COM results into IVI-C statuses, as runs of consecutive results
// whose statuses are consecutive too. Standard headers only, so that a program that reads call
// traces shows the status a C client got for a traced COM result by the same table.
#pragma once

#include <cstdint>
#include <optional>

namespace korvane::ivic {

// A run of consecutive COM results and the IVI-C status of its first one.
struct ResultRun {
  uint32_t first;
  uint32_t last;
  uint32_t firstStatus;
};

inline constexpr ResultRun kResultRuns[] = {
    {0x80047000, 0x80047004, 0xBFFA0000}, {0x8004700B, 0x8004700B, 0xBFFA000B},
    {0x80047010, 0x80047013, 0xBFFA0010}, {0x8004701D, 0x8004701D, 0xBFFA001D},
    {0x80047020, 0x80047020, 0xBFFA0020}, {0x80047023, 0x80047023, 0xBFFA0023},
    {0x80047044, 0x80047044, 0xBFFA0044}, {0x80047049, 0x8004704C, 0xBFFA0049},
    {0x80047056, 0x80047059, 0xBFFA0056}, {0x8004705B, 0x80047067, 0xBFFA005B},
    {0x80044001, 0x80044004, 0xBFFA4001}, {0x80044211, 0x80044212, 0xBFFA4211},
    {0x80044214, 0x80044216, 0xBFFA4214}, {0x00047065, 0x00047069, 0x3FFA0065},
};

// The IVI-C status of a nonzero COM result that one of the runs holds; nothing for any other.
constexpr std::optional<uint32_t> RunStatusOfResult(uint32_t hr) {
  for (const ResultRun& run : kResultRuns) {
    if (hr >= run.first && hr <= run.last) return run.firstStatus + (hr - run.first);
  }
  return std::nullopt;
}

}  // namespace korvane::ivic

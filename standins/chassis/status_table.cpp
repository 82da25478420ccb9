#include "standins/chassis/status_table.h"

#include <utility>

namespace korvane::virtual_chassis {

StatusTable::StatusTable() {
  constexpr auto kChassis = Korvane_Fundamental_StatusTypeChassis;
  constexpr auto kVisa = Korvane_Fundamental_StatusTypeVisa;
  Set(Korvane_Fundamental_StatusSuccess, kChassis, "Operation completed successfully.");
  Set(Korvane_Fundamental_StatusInvalidValue, kChassis,
      "Parameter value is out of range, or no such fan or sensor.");
  Set(Korvane_Fundamental_StatusNoResponse, kChassis,
      "The chassis management controller did not respond.");
  Set(Korvane_Fundamental_StatusThresholdRefused, kChassis,
      "Voltage alarm threshold is outside the rail's window.");
  Set(Korvane_Fundamental_StatusControllerFault, kChassis,
      "The chassis management controller reported an internal fault.");
  Set(Korvane_Fundamental_StatusSessionNotOpen, kVisa,
      "The given session or object reference is invalid.");
  Set(Korvane_Fundamental_StatusResourceNotFound, kVisa,
      "Insufficient location information or the requested device or resource is not present "
      "in the system.");
  Set(static_cast<int32_t>(0xBFFF0015u), kVisa, "Timeout expired before operation completed.");
}

StatusDescription StatusTable::Describe(int32_t status) const {
  const auto found = entries_.find(status);
  if (found != entries_.end()) return found->second;
  return {Korvane_Fundamental_StatusTypeUnknown, "Unknown status code."};
}

void StatusTable::Set(int32_t status, Korvane_Fundamental_StatusCodeType type, std::string text) {
  entries_[status] = {type, std::move(text)};
}

}  // namespace korvane::virtual_chassis

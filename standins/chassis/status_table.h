// What the virtual chassis says about a status: its class and description,
// as getStatusDesc answers them.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "chassis/korvane_fundamental_api.h"

namespace korvane::virtual_chassis {

struct StatusDescription {
  Korvane_Fundamental_StatusCodeType type;
  std::string text;
};

class StatusTable {
 public:
  // Starts with the statuses the chassis itself produces.
  StatusTable();
  // The entry of a status; an unknown status is of the unknown class.
  StatusDescription Describe(int32_t status) const;
  void Set(int32_t status, Korvane_Fundamental_StatusCodeType type, std::string text);

 private:
  std::map<int32_t, StatusDescription> entries_;
};

}  // namespace korvane::virtual_chassis

#include "standins/chassis/self_test_codes.h"

#include <algorithm>
#include <string>
#include <utility>

#include "chassis/korvane_fundamental_api.h"

namespace korvane::virtual_chassis {

SelfTestCodes::SelfTestCodes() {
  SetMapping(0, "No error.", 0);
  SetMapping(1001, "Fan 1 tachometer signal missing.", 0);
  SetMapping(1002, "Fan 2 tachometer signal missing.", 0);
  SetMapping(1003, "Fan 3 tachometer signal missing.", 0);
  SetMapping(2001, "Temperature sensor bus not responding.", 0);
  SetMapping(3001, "Power supply monitor out of calibration.", 0);
  SetMapping(4001, "Reference clock PLL not locked.", 0);
  SetMapping(5001, "Trigger bus switch matrix fault.", 0);
}

void SelfTestCodes::SetCodes(const int32_t* codes, int32_t count) {
  const int32_t kept = std::clamp(count, 0, Korvane_Fundamental_MaxSelfTestCodes);
  codes_.assign(codes, codes + (codes ? kept : 0));
  // The chassis names every code it reports, if only by its number.
  for (const int32_t code : codes_) {
    if (mappings_.count(code) == 0)
      SetMapping(code, "Self-test failure " + std::to_string(code) + " (no description).", 0);
  }
}

int32_t SelfTestCodes::Map(int32_t code, std::string* text) const {
  const auto found = mappings_.find(code);
  if (found == mappings_.end()) return Korvane_Fundamental_StatusInvalidValue;
  if (found->second.status == 0) *text = found->second.text;
  return found->second.status;
}

void SelfTestCodes::SetMapping(int32_t code, std::string text, int32_t status) {
  mappings_[code] = {std::move(text), status};
}

}  // namespace korvane::virtual_chassis

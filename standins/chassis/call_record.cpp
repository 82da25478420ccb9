#include "standins/chassis/call_record.h"

#include <charconv>
#include <utility>

namespace korvane::virtual_chassis {

void AppendDouble(std::string& out, double value) {
  char digits[32];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void AppendStatus(std::string& out, int32_t value) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto bits = static_cast<uint32_t>(value);
  out += "0x";
  for (int shift = 28; shift >= 0; shift -= 4) out += kHex[(bits >> shift) & 0xFu];
}

void CallRecord::Add(std::string call) {
  if (calls_.size() == kLimit) calls_.pop_front();
  calls_.push_back(std::move(call));
}

}  // namespace korvane::virtual_chassis

// The record of every call made on the chassis access library, as texts in
// call order, and the way one call is written down.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <type_traits>

#include "standins/chassis/virtual_chassis.h"

namespace korvane::virtual_chassis {

// A status argument, written as "0x" and eight lower-case hex digits.
struct StatusArg {
  int32_t value;
};

// A caller's text buffer, written as "&, <size>" ("null, <size>" when null).
struct BufferArg {
  const char* buffer;
  uint32_t size;
};

void AppendDouble(std::string& out, double value);
void AppendStatus(std::string& out, int32_t value);

// Appends one argument as the call record shows it.
template <typename T>
void AppendArgument(std::string& out, const T& value) {
  if constexpr (std::is_same_v<T, StatusArg>) {
    AppendStatus(out, value.value);
  } else if constexpr (std::is_same_v<T, BufferArg>) {
    out += value.buffer != nullptr ? "&, " : "null, ";
    out += std::to_string(value.size);
  } else if constexpr (std::is_same_v<T, const char*>) {
    if (value == nullptr) {
      out += "null";
    } else {
      out += '"';
      out += value;
      out += '"';
    }
  } else if constexpr (std::is_pointer_v<T>) {
    out += value != nullptr ? "&" : "null";
  } else if constexpr (std::is_enum_v<T>) {
    out += std::to_string(static_cast<std::underlying_type_t<T>>(value));
  } else if constexpr (std::is_floating_point_v<T>) {
    AppendDouble(out, value);
  } else {
    static_assert(std::is_integral_v<T>, "no record form for this argument type");
    out += std::to_string(value);
  }
}

// Appends "arg, arg, ...".
template <typename First, typename... Rest>
void AppendArguments(std::string& out, const First& first, const Rest&... rest) {
  AppendArgument(out, first);
  ((out += ", ", AppendArgument(out, rest)), ...);
}

// "name(arg, arg, ...)".
template <typename... Args>
std::string FormatCall(const char* name, const Args&... args) {
  std::string text = name;
  text += '(';
  if constexpr (sizeof...(Args) > 0) AppendArguments(text, args...);
  text += ')';
  return text;
}

class CallRecord {
 public:
  // Beyond this many calls the oldest are dropped, so that a long test run
  // that forgot to turn recording off does not eat the memory.
  static constexpr size_t kLimit = kCallRecordLimit;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; }
  void Add(std::string call);
  size_t Count() const { return calls_.size(); }
  // Call i; null when there is none.
  const std::string* At(size_t i) const { return i < calls_.size() ? &calls_[i] : nullptr; }
  void Clear() { calls_.clear(); }

 private:
  bool enabled_ = false;  // a program records nothing until a test asks for it
  std::deque<std::string> calls_;
};

}  // namespace korvane::virtual_chassis

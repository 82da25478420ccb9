#include "tools/korvane/trace_call.h"

#include <charconv>
#include <cmath>

namespace korvane::cli {
namespace {

// Reads a decimal number up to `stop` (or the end), advancing `text`.
std::optional<int> TakeNumber(std::string_view& text, char stop) {
  const size_t end = stop == '\0' ? text.size() : text.find(stop);
  if (end == std::string_view::npos || end == 0) return std::nullopt;
  int value = 0;
  const auto [rest, error] = std::from_chars(text.data(), text.data() + end, value);
  if (error != std::errc() || rest != text.data() + end) return std::nullopt;
  text.remove_prefix(stop == '\0' ? end : end + 1);
  return value;
}

}  // namespace

std::optional<int64_t> ParseStartTime(std::string_view text) {
  const auto hour = TakeNumber(text, ':');
  const auto minute = hour ? TakeNumber(text, ':') : std::nullopt;
  const auto second = minute ? TakeNumber(text, ':') : std::nullopt;
  const auto milli = second ? TakeNumber(text, '\0') : std::nullopt;
  if (!milli || *hour < 0 || *hour > 23 || *minute < 0 || *minute > 59 || *second < 0 ||
      *second > 59 || *milli < 0 || *milli > 999)
    return std::nullopt;
  return ((int64_t{*hour} * 60 + *minute) * 60 + *second) * 1000 + *milli;
}

Duration ParseDuration(std::string_view text) {
  double seconds = 0;
  const auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (text.empty() || error != std::errc() || rest != text.data() + text.size() ||
      !std::isfinite(seconds) || seconds < 0)
    return {Duration::Kind::kUnreadable, 0, std::string(text)};
  return {Duration::Kind::kSeconds, seconds, std::string(text)};
}

std::optional<uint32_t> ParseStatus(std::string_view text) {
  if (text.size() != 10 || (text.substr(0, 2) != "0x" && text.substr(0, 2) != "0X"))
    return std::nullopt;
  uint32_t value = 0;
  const auto [rest, error] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
  if (error != std::errc() || rest != text.data() + text.size()) return std::nullopt;
  return value;
}

Outcome TraceCall::outcome() const {
  if (!hasStatus) return Outcome::kUnfinished;
  if (!status) return Outcome::kFailed;  // a status nobody can read is no success
  if (*status == 0) return Outcome::kOk;
  return (*status & 0x80000000u) != 0 ? Outcome::kFailed : Outcome::kWarning;
}

}  // namespace korvane::cli

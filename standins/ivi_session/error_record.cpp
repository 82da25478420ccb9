#include "standins/ivi_session/error_record.h"

#include <cstring>
#include <limits>

namespace korvane::ivi {

namespace {

ViStatus NeededSize(std::string_view text) {
  constexpr auto kLargest = static_cast<size_t>(std::numeric_limits<ViStatus>::max());
  return text.size() >= kLargest ? std::numeric_limits<ViStatus>::max()
                                 : static_cast<ViStatus>(text.size() + 1);
}

bool WritesNothing(ViInt32 bufferSize, const ViChar* buffer) {
  return buffer == nullptr || bufferSize == 0;
}

}  // namespace

ViStatus CopyIviString(std::string_view text, ViInt32 bufferSize, ViChar* buffer) {
  if (WritesNothing(bufferSize, buffer)) return NeededSize(text);
  if (bufferSize < 0 || text.size() < static_cast<size_t>(bufferSize)) {
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return VI_SUCCESS;
  }
  const auto kept = static_cast<size_t>(bufferSize) - 1;
  std::memcpy(buffer, text.data(), kept);
  buffer[kept] = '\0';
  return NeededSize(text);
}

void ErrorRecord::Set(ViStatus newCode, const char* elaboration) {
  description.assign(elaboration == nullptr ? "" : elaboration);
  code = newCode;
}

void ErrorRecord::Clear() {
  code = VI_SUCCESS;
  description.clear();
}

ViStatus ErrorRecord::ReadAndClear(ViInt32 bufferSize, ViStatus* outCode, ViChar* outDescription) {
  *outCode = code;
  const ViStatus status = CopyIviString(description, bufferSize, outDescription);
  if (!WritesNothing(bufferSize, outDescription)) Clear();
  return status;
}

}  // namespace korvane::ivi

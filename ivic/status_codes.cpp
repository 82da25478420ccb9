#include "ivic/status_codes.h"

#include <cstdint>
#include <unordered_map>

#include "ivic/result_runs.h"
#include "ivic/text.h"
#include "platform/com_ptr.h"
#include "platform/scoped_bstr.h"
#include "standins/ivi_session/ivi_session.h"

namespace korvane::ivic {
namespace {

using StatusMap = std::unordered_map<uint32_t, ViStatus>;

const StatusMap& TranslationTable() {
  static const StatusMap table = [] {
    StatusMap built{{0u, VI_SUCCESS}};
    for (const ResultRun& run : kResultRuns) {
      for (uint32_t hr = run.first; hr <= run.last; ++hr) {
        built.emplace(hr, static_cast<ViStatus>(run.firstStatus + (hr - run.first)));
      }
    }
    return built;
  }();
  return table;
}

struct StatusText {
  uint32_t status;
  const char* text;
};

// The texts are returned as they stand: their placeholders are never filled in.
constexpr StatusText kStatusTexts[] = {
    {0x00000000, "Success."},
    {0xBFFA0000, "Failure cannot recover."},
    {0xBFFA0001, "Instrument error detected.  Use ErrorQuery() to determine the error(s)."},
    {0xBFFA0002, "Cannot open file."},
    {0xBFFA0003, "Error reading file."},
    {0xBFFA0004, "Error writing file."},
    {0xBFFA000B, "The pathname is invalid."},
    {0xBFFA0010, "Invalid value (%1) for method %2, parameter %3."},
    {0xBFFA0011, "Does not support this class-compliant feature: method %1"},
    {0xBFFA0012, "Does not support this class-compliant feature: property %1."},
    {0xBFFA0013,
     "Does not support this class-compliant feature:  (enumeration) value %1 passed as the value "
     "for parameter %2 in method %3."},
    {0xBFFA001D, "A connection to the instrument has not been established."},
    {0xBFFA0020, "Unknown channel name."},
    {0xBFFA0023, "Too many files are open."},
    {0xBFFA0044, "A channel name is required."},
    {0xBFFA0049, "The option string is missing an option name."},
    {0xBFFA004A, "The option string is missing an option value."},
    {0xBFFA004B, "The %1 name in the option string is unknown."},
    {0xBFFA004C, "The %1 value in the option string is unknown."},
    {0xBFFA0056, "Could not allocate necessary memory."},
    {0xBFFA0057, "Operation in progress."},
    {0xBFFA0058, "Null pointer passed for method %1, parameter %2."},
    {0xBFFA0059, "Unexpected response from instrument."},
    {0xBFFA005B, "File not found."},
    {0xBFFA005C, "Invalid file format."},
    {0xBFFA005D, "The instrument status is not available."},
    {0xBFFA005E, "Instrument ID query failed."},
    {0xBFFA005F, "Instrument reset failed."},
    {0xBFFA0060, "Unknown resource."},
    {0xBFFA0061, "The driver is already initialized."},
    {0xBFFA0062, "The simulation state cannot be changed."},
    {0xBFFA0063,
     "The number of levels in the selector is not valid for the %1 repeated capability."},
    {0xBFFA0064, "The range %1 is not valid for the repeated capability %2."},
    {0xBFFA0065, "Unknown name in selector."},
    {0xBFFA0066, "The repeated capability selector is badly-formed."},
    {0xBFFA0067, "Unknown physical repeated capability selector."},
    {0xBFFA4001,
     "The chassis generated a VISA error: [%1] VISA error message, [%2] VISA error code (hex), "
     "[%3] IVI driver call that caused the error."},
    {0xBFFA4002,
     "The chassis generated an error: [%1] error message, [%2] error code (hex), [%3] IVI driver "
     "call that caused the error."},
    {0xBFFA4003,
     "The chassis generated an error code that was not expected in the current calling context: "
     "[%1] error code (hex), [%2] IVI driver call that caused the error."},
    {0xBFFA4004, "Internal software error: method (%1)"},
    {0xBFFA4211, "Personality is not active."},
    {0xBFFA4212, "Personality is not installed."},
    {0xBFFA4214, "I/O error."},
    {0xBFFA4215, "I/O timeout error."},
    {0xBFFA4216, "Instrument model does not support this feature."},
    {0x3FFA0065, "ID Query is not supported by this instrument."},
    {0x3FFA0066, "Reset is not supported by this instrument."},
    {0x3FFA0067, "Self test is not supported by this instrument."},
    {0x3FFA0068, "Error query is not supported by this instrument."},
    {0x3FFA0069, "Firmware revision query is not supported by this instrument."},
};

using MessageMap = std::unordered_map<ViStatus, std::string_view>;

const MessageMap& MessageTable() {
  static const MessageMap table = [] {
    MessageMap built;
    for (const StatusText& entry : kStatusTexts) {
      built.emplace(static_cast<ViStatus>(entry.status), entry.text);
    }
    return built;
  }();
  return table;
}

}  // namespace

ViStatus StatusOfResult(HRESULT hr) {
  const StatusMap& table = TranslationTable();
  const auto found = table.find(static_cast<uint32_t>(hr));
  return found == table.end() ? KORVANE_ERROR_GENERIC : found->second;
}

std::string_view MessageOfStatus(ViStatus status) {
  const MessageMap& table = MessageTable();
  const auto found = table.find(status);
  return found == table.end() ? std::string_view() : found->second;
}

ViStatus TranslateResult(ViSession vi, HRESULT hr) {
  if (hr == S_OK) return VI_SUCCESS;
  const ViStatus status = StatusOfResult(hr);
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.GetAddressOf()) == S_OK && info) {
    ScopedBstr description;
    if (FAILED(info->GetDescription(description.Receive()))) description.Receive();
    IviSession_SetError(vi, status, ToThreadAnsi(BstrView(description.Get())).c_str());
  }
  return status;
}

ViStatus StoreMessage(ViSession vi, ViStatus status, const char* message) {
  IviSession_SetError(vi, status, message);
  return status;
}

}  // namespace korvane::ivic

#include "diag/message_table.h"

#include <algorithm>
#include <iterator>

namespace korvane {
namespace {

constexpr int32_t CStatus(uint32_t bits) {
  return static_cast<int32_t>(bits);
}

// In id order; the lookups below rely on it.
constexpr MessageEntry kEntries[] = {
    {kMsgSuccess, "S_OK", S_OK, CStatus(0x00000000), 0, OLESTR("Korvane: Success.")},
    {kMsgCannotRecover, "E_IVI_CANNOT_RECOVER", E_IVI_CANNOT_RECOVER, CStatus(0xBFFA0000), 0,
     OLESTR("Korvane: Unrecoverable failure.")},
    {kMsgInstrumentStatus, "E_IVI_INSTRUMENT_STATUS", E_IVI_INSTRUMENT_STATUS, CStatus(0xBFFA0001),
     0, OLESTR("Korvane: Instrument error detected.  Use ErrorQuery() to determine error(s).")},
    {kMsgCannotOpenFile, "E_IVI_CANNOT_OPEN_FILE", E_IVI_CANNOT_OPEN_FILE, CStatus(0xBFFA0002), 0,
     OLESTR("Korvane: Cannot open file.")},
    {kMsgReadingFile, "E_IVI_READING_FILE", E_IVI_READING_FILE, CStatus(0xBFFA0003), 0,
     OLESTR("Korvane: Error reading file.")},
    {kMsgWritingFile, "E_IVI_WRITING_FILE", E_IVI_WRITING_FILE, CStatus(0xBFFA0004), 0,
     OLESTR("Korvane: Error writing file.")},
    {kMsgInvalidPathname, "E_IVI_INVALID_PATHNAME", E_IVI_INVALID_PATHNAME, CStatus(0xBFFA000B), 0,
     OLESTR("Korvane: The path name is invalid.")},
    {kMsgInvalidValue, "E_IVI_INVALID_VALUE", E_IVI_INVALID_VALUE, CStatus(0xBFFA0010), 0,
     OLESTR("Korvane: Invalid value (%1) for method %2, parameter %3.")},
    {kMsgFunctionNotSupported, "E_IVI_FUNCTION_NOT_SUPPORTED", E_IVI_FUNCTION_NOT_SUPPORTED,
     CStatus(0xBFFA0011), 0,
     OLESTR("Korvane: Does not support this class-compliant feature: method %1.")},
    {kMsgAttributeNotSupported, "E_IVI_ATTRIBUTE_NOT_SUPPORTED", E_IVI_ATTRIBUTE_NOT_SUPPORTED,
     CStatus(0xBFFA0012), 0,
     OLESTR("Korvane: Does not support this class-compliant feature: property %1.")},
    {kMsgValueNotSupported, "E_IVI_VALUE_NOT_SUPPORTED", E_IVI_VALUE_NOT_SUPPORTED,
     CStatus(0xBFFA0013), 0,
     OLESTR("Korvane: Does not support this class-compliant feature: (enumeration) value %1 passed "
            "as the value for parameter %2 in method %3.")},
    {kMsgNotInitialized, "E_IVI_NOT_INITIALIZED", E_IVI_NOT_INITIALIZED, CStatus(0xBFFA001D), 0,
     OLESTR("Korvane: A connection to the instrument has not been established.")},
    {kMsgUnknownChannelName, "E_IVI_UNKNOWN_CHANNEL_NAME", E_IVI_UNKNOWN_CHANNEL_NAME,
     CStatus(0xBFFA0020), 0, OLESTR("Korvane: Unknown channel name.")},
    {kMsgTooManyOpenFiles, "E_IVI_TOO_MANY_OPEN_FILES", E_IVI_TOO_MANY_OPEN_FILES,
     CStatus(0xBFFA0023), 0, OLESTR("Korvane: Too many files are opened.")},
    {kMsgChannelNameRequired, "E_IVI_CHANNEL_NAME_REQUIRED", E_IVI_CHANNEL_NAME_REQUIRED,
     CStatus(0xBFFA0044), 0, OLESTR("Korvane: A channel name is required.")},
    {kMsgMissingOptionName, "E_IVI_MISSING_OPTION_NAME", E_IVI_MISSING_OPTION_NAME,
     CStatus(0xBFFA0049), 0, OLESTR("Korvane: The option string is missing an option name.")},
    {kMsgMissingOptionValue, "E_IVI_MISSING_OPTION_VALUE", E_IVI_MISSING_OPTION_VALUE,
     CStatus(0xBFFA004A), 0, OLESTR("Korvane: The option string is missing an option value.")},
    {kMsgBadOptionName, "E_IVI_BAD_OPTION_NAME", E_IVI_BAD_OPTION_NAME, CStatus(0xBFFA004B), 0,
     OLESTR("Korvane: The %1 name in the option string is unknown.")},
    {kMsgBadOptionValue, "E_IVI_BAD_OPTION_VALUE", E_IVI_BAD_OPTION_VALUE, CStatus(0xBFFA004C), 0,
     OLESTR("Korvane: The %1 value in the option string is unknown.")},
    {kMsgOutOfMemory, "E_IVI_OUT_OF_MEMORY", E_IVI_OUT_OF_MEMORY, CStatus(0xBFFA0056), 0,
     OLESTR("Korvane: Could not allocate necessary memory.")},
    {kMsgOperationPending, "E_IVI_OPERATION_PENDING", E_IVI_OPERATION_PENDING, CStatus(0xBFFA0057),
     0, OLESTR("Korvane: Operation in progress.")},
    {kMsgNullPointer, "E_IVI_NULL_POINTER", E_IVI_NULL_POINTER, CStatus(0xBFFA0058), 0,
     OLESTR("Korvane: Null pointer passed for method %1, parameter %2.")},
    {kMsgUnexpectedResponse, "E_IVI_UNEXPECTED_RESPONSE", E_IVI_UNEXPECTED_RESPONSE,
     CStatus(0xBFFA0059), 0, OLESTR("Korvane: Unexpected response from the instrument.")},
    {kMsgFileNotFound, "E_IVI_FILE_NOT_FOUND", E_IVI_FILE_NOT_FOUND, CStatus(0xBFFA005B), 0,
     OLESTR("Korvane: File not found.")},
    {kMsgInvalidFileFormat, "E_IVI_INVALID_FILE_FORMAT", E_IVI_INVALID_FILE_FORMAT,
     CStatus(0xBFFA005C), 0, OLESTR("Korvane: Invalid file format.")},
    {kMsgStatusNotAvailable, "E_IVI_STATUS_NOT_AVAILABLE", E_IVI_STATUS_NOT_AVAILABLE,
     CStatus(0xBFFA005D), 0, OLESTR("Korvane: The instrument status is not available.")},
    {kMsgIdQueryFailed, "E_IVI_ID_QUERY_FAILED", E_IVI_ID_QUERY_FAILED, CStatus(0xBFFA005E), 0,
     OLESTR("Korvane: Instrument ID query failed.")},
    {kMsgResetFailed, "E_IVI_RESET_FAILED", E_IVI_RESET_FAILED, CStatus(0xBFFA005F), 0,
     OLESTR("Korvane: Instrument reset failed.")},
    {kMsgResourceUnknown, "E_IVI_RESOURCE_UNKNOWN", E_IVI_RESOURCE_UNKNOWN, CStatus(0xBFFA0060), 0,
     OLESTR("Korvane: Unknown resource.")},
    {kMsgAlreadyInitialized, "E_IVI_ALREADY_INITIALIZED", E_IVI_ALREADY_INITIALIZED,
     CStatus(0xBFFA0061), 0, OLESTR("Korvane: The driver is already initialized.")},
    {kMsgCannotChangeSimulationState, "E_IVI_CANNOT_CHANGE_SIMULATION_STATE",
     E_IVI_CANNOT_CHANGE_SIMULATION_STATE, CStatus(0xBFFA0062), 0,
     OLESTR("Korvane: The simulation state cannot be changed.")},
    {kMsgInvalidNumberOfLevelsInSelector, "E_IVI_INVALID_NUMBER_OF_LEVELS_IN_SELECTOR",
     E_IVI_INVALID_NUMBER_OF_LEVELS_IN_SELECTOR, CStatus(0xBFFA0063), 0,
     OLESTR("Korvane: The number of levels in the selector is not valid for the %1 repeated "
            "capability.")},
    {kMsgInvalidRangeInSelector, "E_IVI_INVALID_RANGE_IN_SELECTOR", E_IVI_INVALID_RANGE_IN_SELECTOR,
     CStatus(0xBFFA0064), 0,
     OLESTR("Korvane: The range %1 is not valid for the repeated capability %2.")},
    {kMsgUnknownNameInSelector, "E_IVI_UNKNOWN_NAME_IN_SELECTOR", E_IVI_UNKNOWN_NAME_IN_SELECTOR,
     CStatus(0xBFFA0065), 0, OLESTR("Korvane: Unknown name in selector.")},
    {kMsgBadlyFormedSelector, "E_IVI_BADLY_FORMED_SELECTOR", E_IVI_BADLY_FORMED_SELECTOR,
     CStatus(0xBFFA0066), 0, OLESTR("Korvane: The repeated capability selector is badly-formed.")},
    {kMsgUnknownPhysicalIdentifier, "E_IVI_UNKNOWN_PHYSICAL_IDENTIFIER",
     E_IVI_UNKNOWN_PHYSICAL_IDENTIFIER, CStatus(0xBFFA0067), 0,
     OLESTR("Korvane: Unknown physical repeated capability selector.")},
    {kMsgNsupIdQuery, "S_IVI_NSUP_ID_QUERY", S_IVI_NSUP_ID_QUERY, CStatus(0x3FFA0065), 0,
     OLESTR("Korvane: ID Query is not supported by this instrument.")},
    {kMsgNsupReset, "S_IVI_NSUP_RESET", S_IVI_NSUP_RESET, CStatus(0x3FFA0066), 0,
     OLESTR("Korvane: Reset is not supported by this instrument.")},
    {kMsgNsupSelfTest, "S_IVI_NSUP_SELF_TEST", S_IVI_NSUP_SELF_TEST, CStatus(0x3FFA0067), 0,
     OLESTR("Korvane: Self test is not supported by this instrument.")},
    {kMsgNsupErrorQuery, "S_IVI_NSUP_ERROR_QUERY", S_IVI_NSUP_ERROR_QUERY, CStatus(0x3FFA0068), 0,
     OLESTR("Korvane: Error query is not supported by this instrument.")},
    {kMsgNsupRevQuery, "S_IVI_NSUP_REV_QUERY", S_IVI_NSUP_REV_QUERY, CStatus(0x3FFA0069), 0,
     OLESTR("Korvane: Firmware revision query is not supported by this instrument.")},
    {kMsgIoGeneral, "E_KORVANE_IO_GENERAL", E_KORVANE_IO_GENERAL, CStatus(0xBFFA4214),
     kDriverHelpContext, OLESTR("Korvane: I/O error: %1.")},
    {kMsgIoTimeout, "E_KORVANE_IO_TIMEOUT", E_KORVANE_IO_TIMEOUT, CStatus(0xBFFA4215),
     kDriverHelpContext, OLESTR("Korvane: I/O timeout error: %1.")},
    {kMsgModelNotSupported, "E_KORVANE_MODEL_NOT_SUPPORTED", E_KORVANE_MODEL_NOT_SUPPORTED,
     CStatus(0xBFFA4216), kDriverHelpContext,
     OLESTR("Korvane: Instrument model does not support this feature: %1.")},
    {kMsgPersonalityNotActive, "E_KORVANE_PERSONALITY_NOT_ACTIVE", E_KORVANE_PERSONALITY_NOT_ACTIVE,
     CStatus(0xBFFA4211), kDriverHelpContext, OLESTR("Korvane: Personality is not active.")},
    {kMsgPersonalityNotInstalled, "E_KORVANE_PERSONALITY_NOT_INSTALLED",
     E_KORVANE_PERSONALITY_NOT_INSTALLED, CStatus(0xBFFA4212), kDriverHelpContext,
     OLESTR("Korvane: Personality is not installed.")},
    {kMsgVisaApi, "E_KORVANE_VISA_API", E_KORVANE_VISA_API, CStatus(0xBFFA4001), kDriverHelpContext,
     OLESTR("Korvane: Chassis returned a VISA error %1 (%2): method %3")},
    {kMsgChassisApi, "E_KORVANE_CHASSIS_API", E_KORVANE_CHASSIS_API, CStatus(0xBFFA4002),
     kDriverHelpContext, OLESTR("Korvane: Chassis returned an error %1 (%2): method %3")},
    {kMsgUnexpected, "E_KORVANE_UNEXPECTED", E_KORVANE_UNEXPECTED, CStatus(0xBFFA4003),
     kDriverHelpContext,
     OLESTR("Korvane: Chassis returned an unexpected error code (%1): method %2")},
    {kMsgInternalSw, "E_KORVANE_INTERNAL_SW", E_KORVANE_INTERNAL_SW, CStatus(0xBFFA4004),
     kDriverHelpContext, OLESTR("Korvane: Internal software error: method (%1)")},
};

constexpr bool IdsAscending() {
  for (std::size_t i = 1; i < std::size(kEntries); ++i) {
    if (kEntries[i - 1].id >= kEntries[i].id) return false;
  }
  return true;
}
static_assert(IdsAscending(), "the message table must stay in id order");

// The formatter below knows only %1..%3; no text may use any other escape.
constexpr bool InsertsAreSimple() {
  for (const MessageEntry& entry : kEntries) {
    for (const OLECHAR* p = entry.text; *p != 0; ++p) {
      if (*p == '%' && (p[1] < '1' || p[1] > '3')) return false;
    }
  }
  return true;
}
static_assert(InsertsAreSimple(), "message texts may only use the inserts %1, %2 and %3");

// Every resource text ends in a line end, which the formatter copies.
constexpr OLECHAR kLineEnd[] = {'\r', '\n', 0};

}  // namespace

std::span<const MessageEntry> MessageTable() {
  return kEntries;
}

const MessageEntry* FindMessage(MessageId id) {
  const auto* end = std::end(kEntries);
  const auto* it =
      std::lower_bound(std::begin(kEntries), end, id,
                       [](const MessageEntry& e, MessageId key) { return e.id < key; });
  return it != end && it->id == id ? it : nullptr;
}

MessageStatus MapMessageId(MessageId id) {
  const MessageEntry* entry = FindMessage(id);
  if (entry == nullptr) return {kUnknownMessageStatus, 0};
  return {entry->status, entry->helpContext};
}

std::optional<int32_t> IviCStatusOf(HRESULT status) {
  for (const MessageEntry& entry : kEntries) {
    if (entry.status == status) return entry.iviCStatus;
  }
  return std::nullopt;
}

MessageFormatResult FormatMessageEntry(MessageId id, InsertList inserts, OleString& text) {
  const MessageEntry* entry = FindMessage(id);
  if (entry == nullptr) return MessageFormatResult::kNotFound;

  OleString result;
  for (const OLECHAR* p = entry->text; *p != 0; ++p) {
    if (p[0] == '%') {
      const std::size_t index = static_cast<std::size_t>(p[1] - '1');
      if (index >= inserts.size()) return MessageFormatResult::kMissingInsert;
      if (inserts[index] != nullptr) result += inserts[index];
      ++p;
    } else {
      result += *p;
    }
  }
  result += kLineEnd;
  text = std::move(result);
  return MessageFormatResult::kOk;
}

const char* DescribeFormatFailure(MessageFormatResult result) {
  switch (result) {
    case MessageFormatResult::kOk:
      return "No error.";
    case MessageFormatResult::kNotFound:
      return "The message id is not in the message table.";
    case MessageFormatResult::kMissingInsert:
      return "The message refers to an insert that was not supplied.";
  }
  return "Unknown formatting failure.";
}

}  // namespace korvane

#pragma once
// The driver's message table: every failure a caller sees is one of these
// entries, with its COM status, its IVI-C status, its help context and its text.
// The table is compiled in (constant data, no start-up cost); formatting follows
// the system message formatter for the %1..%3 inserts these texts use.

#include <cstdint>
#include <optional>
#include <span>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

using MessageId = uint32_t;

// The text inserts of one report, %1 first. A null insert reads as empty text.
using InsertList = std::span<const OLECHAR* const>;

// Message ids. 46 is not used.
inline constexpr MessageId kMsgSuccess = 1;
inline constexpr MessageId kMsgCannotRecover = 2;
inline constexpr MessageId kMsgInstrumentStatus = 3;
inline constexpr MessageId kMsgCannotOpenFile = 4;
inline constexpr MessageId kMsgReadingFile = 5;
inline constexpr MessageId kMsgWritingFile = 6;
inline constexpr MessageId kMsgInvalidPathname = 7;
inline constexpr MessageId kMsgInvalidValue = 8;
inline constexpr MessageId kMsgFunctionNotSupported = 9;
inline constexpr MessageId kMsgAttributeNotSupported = 10;
inline constexpr MessageId kMsgValueNotSupported = 11;
inline constexpr MessageId kMsgNotInitialized = 12;
inline constexpr MessageId kMsgUnknownChannelName = 13;
inline constexpr MessageId kMsgTooManyOpenFiles = 14;
inline constexpr MessageId kMsgChannelNameRequired = 15;
inline constexpr MessageId kMsgMissingOptionName = 16;
inline constexpr MessageId kMsgMissingOptionValue = 17;
inline constexpr MessageId kMsgBadOptionName = 18;
inline constexpr MessageId kMsgBadOptionValue = 19;
inline constexpr MessageId kMsgOutOfMemory = 20;
inline constexpr MessageId kMsgOperationPending = 21;
inline constexpr MessageId kMsgNullPointer = 22;
inline constexpr MessageId kMsgUnexpectedResponse = 23;
inline constexpr MessageId kMsgFileNotFound = 24;
inline constexpr MessageId kMsgInvalidFileFormat = 25;
inline constexpr MessageId kMsgStatusNotAvailable = 26;
inline constexpr MessageId kMsgIdQueryFailed = 27;
inline constexpr MessageId kMsgResetFailed = 28;
inline constexpr MessageId kMsgResourceUnknown = 29;
inline constexpr MessageId kMsgAlreadyInitialized = 30;
inline constexpr MessageId kMsgCannotChangeSimulationState = 31;
inline constexpr MessageId kMsgInvalidNumberOfLevelsInSelector = 32;
inline constexpr MessageId kMsgInvalidRangeInSelector = 33;
inline constexpr MessageId kMsgUnknownNameInSelector = 34;
inline constexpr MessageId kMsgBadlyFormedSelector = 35;
inline constexpr MessageId kMsgUnknownPhysicalIdentifier = 36;
inline constexpr MessageId kMsgNsupIdQuery = 37;
inline constexpr MessageId kMsgNsupReset = 38;
inline constexpr MessageId kMsgNsupSelfTest = 39;
inline constexpr MessageId kMsgNsupErrorQuery = 40;
inline constexpr MessageId kMsgNsupRevQuery = 41;
inline constexpr MessageId kMsgIoGeneral = 42;
inline constexpr MessageId kMsgIoTimeout = 43;
inline constexpr MessageId kMsgModelNotSupported = 44;
inline constexpr MessageId kMsgPersonalityNotActive = 45;
inline constexpr MessageId kMsgPersonalityNotInstalled = 47;
inline constexpr MessageId kMsgVisaApi = 48;
inline constexpr MessageId kMsgChassisApi = 49;
inline constexpr MessageId kMsgUnexpected = 50;
inline constexpr MessageId kMsgInternalSw = 51;

// IVI standard errors: 0x80047000 + the IVI error offset.
inline constexpr HRESULT E_IVI_CANNOT_RECOVER = static_cast<HRESULT>(0x80047000);
inline constexpr HRESULT E_IVI_INSTRUMENT_STATUS = static_cast<HRESULT>(0x80047001);
inline constexpr HRESULT E_IVI_CANNOT_OPEN_FILE = static_cast<HRESULT>(0x80047002);
inline constexpr HRESULT E_IVI_READING_FILE = static_cast<HRESULT>(0x80047003);
inline constexpr HRESULT E_IVI_WRITING_FILE = static_cast<HRESULT>(0x80047004);
inline constexpr HRESULT E_IVI_INVALID_PATHNAME = static_cast<HRESULT>(0x8004700B);
inline constexpr HRESULT E_IVI_INVALID_VALUE = static_cast<HRESULT>(0x80047010);
inline constexpr HRESULT E_IVI_FUNCTION_NOT_SUPPORTED = static_cast<HRESULT>(0x80047011);
inline constexpr HRESULT E_IVI_ATTRIBUTE_NOT_SUPPORTED = static_cast<HRESULT>(0x80047012);
inline constexpr HRESULT E_IVI_VALUE_NOT_SUPPORTED = static_cast<HRESULT>(0x80047013);
inline constexpr HRESULT E_IVI_NOT_INITIALIZED = static_cast<HRESULT>(0x8004701D);
inline constexpr HRESULT E_IVI_UNKNOWN_CHANNEL_NAME = static_cast<HRESULT>(0x80047020);
inline constexpr HRESULT E_IVI_TOO_MANY_OPEN_FILES = static_cast<HRESULT>(0x80047023);
inline constexpr HRESULT E_IVI_CHANNEL_NAME_REQUIRED = static_cast<HRESULT>(0x80047044);
inline constexpr HRESULT E_IVI_MISSING_OPTION_NAME = static_cast<HRESULT>(0x80047049);
inline constexpr HRESULT E_IVI_MISSING_OPTION_VALUE = static_cast<HRESULT>(0x8004704A);
inline constexpr HRESULT E_IVI_BAD_OPTION_NAME = static_cast<HRESULT>(0x8004704B);
inline constexpr HRESULT E_IVI_BAD_OPTION_VALUE = static_cast<HRESULT>(0x8004704C);
inline constexpr HRESULT E_IVI_OUT_OF_MEMORY = static_cast<HRESULT>(0x80047056);
inline constexpr HRESULT E_IVI_OPERATION_PENDING = static_cast<HRESULT>(0x80047057);
inline constexpr HRESULT E_IVI_NULL_POINTER = static_cast<HRESULT>(0x80047058);
inline constexpr HRESULT E_IVI_UNEXPECTED_RESPONSE = static_cast<HRESULT>(0x80047059);
inline constexpr HRESULT E_IVI_FILE_NOT_FOUND = static_cast<HRESULT>(0x8004705B);
inline constexpr HRESULT E_IVI_INVALID_FILE_FORMAT = static_cast<HRESULT>(0x8004705C);
inline constexpr HRESULT E_IVI_STATUS_NOT_AVAILABLE = static_cast<HRESULT>(0x8004705D);
inline constexpr HRESULT E_IVI_ID_QUERY_FAILED = static_cast<HRESULT>(0x8004705E);
inline constexpr HRESULT E_IVI_RESET_FAILED = static_cast<HRESULT>(0x8004705F);
inline constexpr HRESULT E_IVI_RESOURCE_UNKNOWN = static_cast<HRESULT>(0x80047060);
inline constexpr HRESULT E_IVI_ALREADY_INITIALIZED = static_cast<HRESULT>(0x80047061);
inline constexpr HRESULT E_IVI_CANNOT_CHANGE_SIMULATION_STATE = static_cast<HRESULT>(0x80047062);
inline constexpr HRESULT E_IVI_INVALID_NUMBER_OF_LEVELS_IN_SELECTOR =
    static_cast<HRESULT>(0x80047063);
inline constexpr HRESULT E_IVI_INVALID_RANGE_IN_SELECTOR = static_cast<HRESULT>(0x80047064);
inline constexpr HRESULT E_IVI_UNKNOWN_NAME_IN_SELECTOR = static_cast<HRESULT>(0x80047065);
inline constexpr HRESULT E_IVI_BADLY_FORMED_SELECTOR = static_cast<HRESULT>(0x80047066);
inline constexpr HRESULT E_IVI_UNKNOWN_PHYSICAL_IDENTIFIER = static_cast<HRESULT>(0x80047067);

// IVI standard warnings: success codes with the IVI facility.
inline constexpr HRESULT S_IVI_NSUP_ID_QUERY = 0x00047065;
inline constexpr HRESULT S_IVI_NSUP_RESET = 0x00047066;
inline constexpr HRESULT S_IVI_NSUP_SELF_TEST = 0x00047067;
inline constexpr HRESULT S_IVI_NSUP_ERROR_QUERY = 0x00047068;
inline constexpr HRESULT S_IVI_NSUP_REV_QUERY = 0x00047069;

// Driver-specific errors, published in the type library as KorvaneErrorCodesEnum.
inline constexpr HRESULT E_KORVANE_IO_GENERAL = static_cast<HRESULT>(0x80044214);
inline constexpr HRESULT E_KORVANE_IO_TIMEOUT = static_cast<HRESULT>(0x80044215);
inline constexpr HRESULT E_KORVANE_MODEL_NOT_SUPPORTED = static_cast<HRESULT>(0x80044216);
inline constexpr HRESULT E_KORVANE_PERSONALITY_NOT_ACTIVE = static_cast<HRESULT>(0x80044211);
inline constexpr HRESULT E_KORVANE_PERSONALITY_NOT_INSTALLED = static_cast<HRESULT>(0x80044212);
inline constexpr HRESULT E_KORVANE_VISA_API = static_cast<HRESULT>(0x80044001);
inline constexpr HRESULT E_KORVANE_CHASSIS_API = static_cast<HRESULT>(0x80044002);
inline constexpr HRESULT E_KORVANE_UNEXPECTED = static_cast<HRESULT>(0x80044003);
inline constexpr HRESULT E_KORVANE_INTERNAL_SW = static_cast<HRESULT>(0x80044004);

// The status of an id outside the table, and the help context of the
// driver-specific entries.
inline constexpr HRESULT kUnknownMessageStatus = static_cast<HRESULT>(0x8000FFFF);
inline constexpr DWORD kDriverHelpContext = 3;

struct MessageEntry {
  MessageId id;
  const char* codeName;  // "E_IVI_INVALID_VALUE"; "S_OK" for the success entry
  HRESULT status;
  int32_t iviCStatus;   // the IVI-C status the C face translates `status` to
  DWORD helpContext;    // 3 for the driver-specific entries, else 0
  const OLECHAR* text;  // without the resource's trailing line end
};

// All entries in id order.
std::span<const MessageEntry> MessageTable();

// The entry of `id`, or null when the table has none.
const MessageEntry* FindMessage(MessageId id);

// The id-to-status map of a report: the entry's status and help context, or
// kUnknownMessageStatus with help context 0 for an id outside the table.
struct MessageStatus {
  HRESULT status;
  DWORD helpContext;
};
MessageStatus MapMessageId(MessageId id);

// The IVI-C status of one of the table's statuses, or nothing for any other code.
std::optional<int32_t> IviCStatusOf(HRESULT status);

enum class MessageFormatResult {
  kOk,
  kNotFound,       // no entry with that id
  kMissingInsert,  // the text refers to an insert the list does not hold
};

// Formats entry `id` as the system message formatter does with the resource
// text (which ends in CR LF): %1..%3 become the inserts. `text` receives the
// result, line end included; it is left unchanged on failure.
MessageFormatResult FormatMessageEntry(MessageId id, InsertList inserts, OleString& text);

// Why formatting failed, for the internal-error report.
const char* DescribeFormatFailure(MessageFormatResult result);

}  // namespace korvane

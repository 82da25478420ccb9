#include "diag/message_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {
namespace {

struct ExpectedEntry {
  MessageId id;
  const char* codeName;
  uint32_t status;
  uint32_t iviCStatus;
  DWORD helpContext;
  const char* text;
};

// The published message table, entry by entry.
constexpr ExpectedEntry kExpected[] = {
    {1, "S_OK", 0x00000000, 0x00000000, 0, "Korvane: Success."},
    {2, "E_IVI_CANNOT_RECOVER", 0x80047000, 0xBFFA0000, 0, "Korvane: Unrecoverable failure."},
    {3, "E_IVI_INSTRUMENT_STATUS", 0x80047001, 0xBFFA0001, 0,
     "Korvane: Instrument error detected.  Use ErrorQuery() to determine error(s)."},
    {4, "E_IVI_CANNOT_OPEN_FILE", 0x80047002, 0xBFFA0002, 0, "Korvane: Cannot open file."},
    {5, "E_IVI_READING_FILE", 0x80047003, 0xBFFA0003, 0, "Korvane: Error reading file."},
    {6, "E_IVI_WRITING_FILE", 0x80047004, 0xBFFA0004, 0, "Korvane: Error writing file."},
    {7, "E_IVI_INVALID_PATHNAME", 0x8004700B, 0xBFFA000B, 0, "Korvane: The path name is invalid."},
    {8, "E_IVI_INVALID_VALUE", 0x80047010, 0xBFFA0010, 0,
     "Korvane: Invalid value (%1) for method %2, parameter %3."},
    {9, "E_IVI_FUNCTION_NOT_SUPPORTED", 0x80047011, 0xBFFA0011, 0,
     "Korvane: Does not support this class-compliant feature: method %1."},
    {10, "E_IVI_ATTRIBUTE_NOT_SUPPORTED", 0x80047012, 0xBFFA0012, 0,
     "Korvane: Does not support this class-compliant feature: property %1."},
    {11, "E_IVI_VALUE_NOT_SUPPORTED", 0x80047013, 0xBFFA0013, 0,
     "Korvane: Does not support this class-compliant feature: (enumeration) value %1 passed as the "
     "value for parameter %2 in method %3."},
    {12, "E_IVI_NOT_INITIALIZED", 0x8004701D, 0xBFFA001D, 0,
     "Korvane: A connection to the instrument has not been established."},
    {13, "E_IVI_UNKNOWN_CHANNEL_NAME", 0x80047020, 0xBFFA0020, 0, "Korvane: Unknown channel name."},
    {14, "E_IVI_TOO_MANY_OPEN_FILES", 0x80047023, 0xBFFA0023, 0,
     "Korvane: Too many files are opened."},
    {15, "E_IVI_CHANNEL_NAME_REQUIRED", 0x80047044, 0xBFFA0044, 0,
     "Korvane: A channel name is required."},
    {16, "E_IVI_MISSING_OPTION_NAME", 0x80047049, 0xBFFA0049, 0,
     "Korvane: The option string is missing an option name."},
    {17, "E_IVI_MISSING_OPTION_VALUE", 0x8004704A, 0xBFFA004A, 0,
     "Korvane: The option string is missing an option value."},
    {18, "E_IVI_BAD_OPTION_NAME", 0x8004704B, 0xBFFA004B, 0,
     "Korvane: The %1 name in the option string is unknown."},
    {19, "E_IVI_BAD_OPTION_VALUE", 0x8004704C, 0xBFFA004C, 0,
     "Korvane: The %1 value in the option string is unknown."},
    {20, "E_IVI_OUT_OF_MEMORY", 0x80047056, 0xBFFA0056, 0,
     "Korvane: Could not allocate necessary memory."},
    {21, "E_IVI_OPERATION_PENDING", 0x80047057, 0xBFFA0057, 0, "Korvane: Operation in progress."},
    {22, "E_IVI_NULL_POINTER", 0x80047058, 0xBFFA0058, 0,
     "Korvane: Null pointer passed for method %1, parameter %2."},
    {23, "E_IVI_UNEXPECTED_RESPONSE", 0x80047059, 0xBFFA0059, 0,
     "Korvane: Unexpected response from the instrument."},
    {24, "E_IVI_FILE_NOT_FOUND", 0x8004705B, 0xBFFA005B, 0, "Korvane: File not found."},
    {25, "E_IVI_INVALID_FILE_FORMAT", 0x8004705C, 0xBFFA005C, 0, "Korvane: Invalid file format."},
    {26, "E_IVI_STATUS_NOT_AVAILABLE", 0x8004705D, 0xBFFA005D, 0,
     "Korvane: The instrument status is not available."},
    {27, "E_IVI_ID_QUERY_FAILED", 0x8004705E, 0xBFFA005E, 0,
     "Korvane: Instrument ID query failed."},
    {28, "E_IVI_RESET_FAILED", 0x8004705F, 0xBFFA005F, 0, "Korvane: Instrument reset failed."},
    {29, "E_IVI_RESOURCE_UNKNOWN", 0x80047060, 0xBFFA0060, 0, "Korvane: Unknown resource."},
    {30, "E_IVI_ALREADY_INITIALIZED", 0x80047061, 0xBFFA0061, 0,
     "Korvane: The driver is already initialized."},
    {31, "E_IVI_CANNOT_CHANGE_SIMULATION_STATE", 0x80047062, 0xBFFA0062, 0,
     "Korvane: The simulation state cannot be changed."},
    {32, "E_IVI_INVALID_NUMBER_OF_LEVELS_IN_SELECTOR", 0x80047063, 0xBFFA0063, 0,
     "Korvane: The number of levels in the selector is not valid for the %1 repeated capability."},
    {33, "E_IVI_INVALID_RANGE_IN_SELECTOR", 0x80047064, 0xBFFA0064, 0,
     "Korvane: The range %1 is not valid for the repeated capability %2."},
    {34, "E_IVI_UNKNOWN_NAME_IN_SELECTOR", 0x80047065, 0xBFFA0065, 0,
     "Korvane: Unknown name in selector."},
    {35, "E_IVI_BADLY_FORMED_SELECTOR", 0x80047066, 0xBFFA0066, 0,
     "Korvane: The repeated capability selector is badly-formed."},
    {36, "E_IVI_UNKNOWN_PHYSICAL_IDENTIFIER", 0x80047067, 0xBFFA0067, 0,
     "Korvane: Unknown physical repeated capability selector."},
    {37, "S_IVI_NSUP_ID_QUERY", 0x00047065, 0x3FFA0065, 0,
     "Korvane: ID Query is not supported by this instrument."},
    {38, "S_IVI_NSUP_RESET", 0x00047066, 0x3FFA0066, 0,
     "Korvane: Reset is not supported by this instrument."},
    {39, "S_IVI_NSUP_SELF_TEST", 0x00047067, 0x3FFA0067, 0,
     "Korvane: Self test is not supported by this instrument."},
    {40, "S_IVI_NSUP_ERROR_QUERY", 0x00047068, 0x3FFA0068, 0,
     "Korvane: Error query is not supported by this instrument."},
    {41, "S_IVI_NSUP_REV_QUERY", 0x00047069, 0x3FFA0069, 0,
     "Korvane: Firmware revision query is not supported by this instrument."},
    {42, "E_KORVANE_IO_GENERAL", 0x80044214, 0xBFFA4214, 3, "Korvane: I/O error: %1."},
    {43, "E_KORVANE_IO_TIMEOUT", 0x80044215, 0xBFFA4215, 3, "Korvane: I/O timeout error: %1."},
    {44, "E_KORVANE_MODEL_NOT_SUPPORTED", 0x80044216, 0xBFFA4216, 3,
     "Korvane: Instrument model does not support this feature: %1."},
    {45, "E_KORVANE_PERSONALITY_NOT_ACTIVE", 0x80044211, 0xBFFA4211, 3,
     "Korvane: Personality is not active."},
    {47, "E_KORVANE_PERSONALITY_NOT_INSTALLED", 0x80044212, 0xBFFA4212, 3,
     "Korvane: Personality is not installed."},
    {48, "E_KORVANE_VISA_API", 0x80044001, 0xBFFA4001, 3,
     "Korvane: Chassis returned a VISA error %1 (%2): method %3"},
    {49, "E_KORVANE_CHASSIS_API", 0x80044002, 0xBFFA4002, 3,
     "Korvane: Chassis returned an error %1 (%2): method %3"},
    {50, "E_KORVANE_UNEXPECTED", 0x80044003, 0xBFFA4003, 3,
     "Korvane: Chassis returned an unexpected error code (%1): method %2"},
    {51, "E_KORVANE_INTERNAL_SW", 0x80044004, 0xBFFA4004, 3,
     "Korvane: Internal software error: method (%1)"},
};

std::string Narrow(OleStringView text) {
  return OleToAnsi(text);
}

TEST(MessageTableTest, HoldsEveryPublishedEntryAndNoOther) {
  ASSERT_EQ(MessageTable().size(), std::size(kExpected));
  for (const ExpectedEntry& expected : kExpected) {
    SCOPED_TRACE(expected.id);
    const MessageEntry* entry = FindMessage(expected.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->codeName, expected.codeName);
    EXPECT_EQ(static_cast<uint32_t>(entry->status), expected.status);
    EXPECT_EQ(static_cast<uint32_t>(entry->iviCStatus), expected.iviCStatus);
    EXPECT_EQ(entry->helpContext, expected.helpContext);
    EXPECT_EQ(Narrow(OleView(entry->text)), expected.text);

    const MessageStatus mapped = MapMessageId(expected.id);
    EXPECT_EQ(static_cast<uint32_t>(mapped.status), expected.status);
    EXPECT_EQ(mapped.helpContext, expected.helpContext);

    const std::optional<int32_t> cStatus = IviCStatusOf(entry->status);
    ASSERT_TRUE(cStatus.has_value());
    EXPECT_EQ(static_cast<uint32_t>(*cStatus), expected.iviCStatus);
  }
}

TEST(MessageTableTest, IdsOutsideTheTableMapToTheUnexpectedFailure) {
  for (MessageId id : {0u, 46u, 52u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(FindMessage(id), nullptr);
    const MessageStatus mapped = MapMessageId(id);
    EXPECT_EQ(static_cast<uint32_t>(mapped.status), 0x8000FFFFu);
    EXPECT_EQ(mapped.helpContext, 0u);
  }
}

TEST(MessageTableTest, IviCStatusIsKnownOnlyForTheTablesCodes) {
  EXPECT_EQ(IviCStatusOf(E_IVI_NULL_POINTER), static_cast<int32_t>(0xBFFA0058));
  EXPECT_EQ(IviCStatusOf(E_KORVANE_CHASSIS_API), static_cast<int32_t>(0xBFFA4002));
  EXPECT_EQ(IviCStatusOf(S_IVI_NSUP_REV_QUERY), static_cast<int32_t>(0x3FFA0069));
  EXPECT_EQ(IviCStatusOf(S_OK), 0);
  EXPECT_FALSE(IviCStatusOf(E_FAIL).has_value());
  EXPECT_FALSE(IviCStatusOf(static_cast<HRESULT>(0x80047005)).has_value());
  EXPECT_FALSE(IviCStatusOf(kUnknownMessageStatus).has_value());
}

struct FormatCase {
  const char* name;
  MessageId id;
  std::vector<const OLECHAR*> inserts;
  MessageFormatResult result;
  const char* text;  // on success, line end included
};

TEST(MessageTableTest, FormatsLikeTheSystemMessageFormatter) {
  const FormatCase cases[] = {
      {"three inserts in order",
       kMsgInvalidValue,
       {OLESTR("1"), OLESTR("Initialize"), OLESTR("ResourceName")},
       MessageFormatResult::kOk,
       "Korvane: Invalid value (1) for method Initialize, parameter ResourceName.\r\n"},
      {"inserts out of text order",
       kMsgValueNotSupported,
       {OLESTR("v"), OLESTR("p"), OLESTR("m")},
       MessageFormatResult::kOk,
       "Korvane: Does not support this class-compliant feature: (enumeration) value v passed as "
       "the value for parameter p in method m.\r\n"},
      {"no inserts",
       kMsgNotInitialized,
       {},
       MessageFormatResult::kOk,
       "Korvane: A connection to the instrument has not been established.\r\n"},
      {"unused inserts are ignored",
       kMsgNotInitialized,
       {OLESTR("extra")},
       MessageFormatResult::kOk,
       "Korvane: A connection to the instrument has not been established.\r\n"},
      {"a null insert is empty",
       kMsgNullPointer,
       {nullptr, OLESTR("val")},
       MessageFormatResult::kOk,
       "Korvane: Null pointer passed for method , parameter val.\r\n"},
      {"insert text is not expanded again",
       kMsgBadOptionName,
       {OLESTR("%2 %1")},
       MessageFormatResult::kOk,
       "Korvane: The %2 %1 name in the option string is unknown.\r\n"},
      {"insert at the very end",
       kMsgInternalSw,
       {OLESTR("Close")},
       MessageFormatResult::kOk,
       "Korvane: Internal software error: method (Close)\r\n"},
      {"missing insert",
       kMsgInvalidValue,
       {OLESTR("1"), OLESTR("m")},
       MessageFormatResult::kMissingInsert,
       nullptr},
      {"no inserts at all", kMsgChassisApi, {}, MessageFormatResult::kMissingInsert, nullptr},
      {"unused id", 46, {}, MessageFormatResult::kNotFound, nullptr},
      {"id zero", 0, {}, MessageFormatResult::kNotFound, nullptr},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    OleString text = OLESTR("unchanged");
    EXPECT_EQ(FormatMessageEntry(c.id, c.inserts, text), c.result);
    EXPECT_EQ(Narrow(text), c.text != nullptr ? c.text : "unchanged");
  }
}

}  // namespace
}  // namespace korvane

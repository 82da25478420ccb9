#include "diag/message_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/support/text.h"

namespace korvane {
namespace {

using testing::Narrow;

// The highest insert number a text refers to (%1..%9), 0 for none.
int HighestInsert(OleStringView text) {
  int highest = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == OLESTR('%') && text[i + 1] >= OLESTR('1') && text[i + 1] <= OLESTR('9')) {
      highest = std::max(highest, static_cast<int>(text[i + 1] - OLESTR('0')));
    }
  }
  return highest;
}

// Every entry obeys the rules of its kind: an IVI error or warning is
// 0x80047000 or 0x00047000 plus its IVI offset, a driver-specific error
// 0x80044000 plus its own, with help context 3; its IVI-C status is 0xBFFA0000
// (errors) or 0x3FFA0000 (warnings) plus the IVI offset, or plus 0x4000 and
// the driver's own; ids ascend and are found by every lookup.
TEST(MessageTableTest, EveryEntryObeysTheRulesOfItsKind) {
  const auto table = MessageTable();
  ASSERT_EQ(table.size(), 50u);  // ids 1..51 without 46
  std::set<std::string> names;
  std::set<HRESULT> statuses;
  MessageId previous = 0;
  for (const MessageEntry& entry : table) {
    SCOPED_TRACE(entry.codeName);
    EXPECT_GT(entry.id, previous) << "in id order";
    previous = entry.id;
    EXPECT_TRUE(names.insert(entry.codeName).second) << "name used twice";
    EXPECT_TRUE(statuses.insert(entry.status).second) << "status used twice";
    EXPECT_EQ(FindMessage(entry.id), &entry);
    EXPECT_EQ(MapMessageId(entry.id).status, entry.status);
    EXPECT_EQ(MapMessageId(entry.id).helpContext, entry.helpContext);
    EXPECT_EQ(IviCStatusOf(entry.status), entry.iviCStatus);

    const std::string name = entry.codeName;
    const uint32_t status = static_cast<uint32_t>(entry.status);
    const uint32_t offset = status & 0xFFFu;
    const bool driverSpecific = name.rfind("E_KORVANE_", 0) == 0;
    if (name == "S_OK") {
      EXPECT_EQ(status, 0u);
    } else if (driverSpecific) {
      EXPECT_EQ(status, 0x80044000u + offset);
    } else if (name.rfind("E_IVI_", 0) == 0) {
      EXPECT_EQ(status, 0x80047000u + offset);
    } else {
      EXPECT_EQ(name.rfind("S_IVI_", 0), 0u);
      EXPECT_EQ(status, 0x00047000u + offset);
    }
    const uint32_t cPrefix = status == 0 ? 0 : FAILED(entry.status) ? 0xBFFA0000u : 0x3FFA0000u;
    const uint32_t cOffset = driverSpecific ? 0x4000u + offset : offset;
    EXPECT_EQ(static_cast<uint32_t>(entry.iviCStatus), cPrefix | cOffset);
    EXPECT_EQ(entry.helpContext, driverSpecific ? kDriverHelpContext : 0u);
    EXPECT_EQ(OleView(entry.text).substr(0, 9), OLESTR("Korvane: "));
  }
}

// Every text formats with as many inserts as it refers to, each in its place,
// and fails with one insert fewer.
TEST(MessageTableTest, EveryTextFormatsWithItsInserts) {
  const OLECHAR* const inserts[] = {OLESTR("<1>"), OLESTR("<2>"), OLESTR("<3>")};
  for (const MessageEntry& entry : MessageTable()) {
    SCOPED_TRACE(entry.codeName);
    const int count = HighestInsert(OleView(entry.text));
    ASSERT_LE(count, 3);
    OleString text;
    ASSERT_EQ(FormatMessageEntry(entry.id, InsertList(inserts, count), text),
              MessageFormatResult::kOk);
    for (int i = 0; i < count; ++i) EXPECT_NE(text.find(inserts[i]), OleString::npos) << i + 1;
    EXPECT_EQ(text.find(OLESTR('%')), OleString::npos);
    EXPECT_EQ(text.substr(text.size() - 2), OLESTR("\r\n"));
    if (count > 0) {
      EXPECT_EQ(FormatMessageEntry(entry.id, InsertList(inserts, count - 1), text),
                MessageFormatResult::kMissingInsert);
    }
  }
}

TEST(MessageTableTest, WhatIsNotInTheTableIsUnknown) {
  for (MessageId id : {0u, 46u, 52u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(FindMessage(id), nullptr);
    const MessageStatus mapped = MapMessageId(id);
    EXPECT_EQ(static_cast<uint32_t>(mapped.status), 0x8000FFFFu);
    EXPECT_EQ(mapped.helpContext, 0u);
  }
  // Only the table's statuses have an IVI-C status.
  for (HRESULT other : {E_FAIL, static_cast<HRESULT>(0x80047005), kUnknownMessageStatus}) {
    EXPECT_FALSE(IviCStatusOf(other).has_value()) << std::hex << other;
  }
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

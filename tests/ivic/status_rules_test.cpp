// The rules the C face's tables obey: every COM result reaches its status space, every status of
// the translation has its text, pending COM error descriptions travel with the status, and every
// string result follows the string return rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "diag/message_table.h"
#include "ivic/status_codes.h"
#include "ivic/text.h"
#include "platform/com_ptr.h"
#include "standins/ivi_session/ivi_session.h"
#include "tests/support/error_info.h"
#include "tests/support/text.h"

namespace korvane::ivic {
namespace {

// Every COM result of the driver's two facilities (IVI 0x8004_7xxx, driver 0x8004_4xxx) and of
// their warnings maps either to the generic failure or into its IVI-C space, keeping the code
// within the facility, and every mapped status has a C message.
TEST(StatusRules, EveryResultMapsIntoItsSpaceWithAText) {
  int mapped = 0;
  for (uint32_t low = 0; low <= 0xFFFF; ++low) {
    for (uint32_t high : {0x80040000u, 0x00040000u}) {
      const uint32_t hr = high | low;
      const auto status = static_cast<uint32_t>(StatusOfResult(static_cast<HRESULT>(hr)));
      if (status == static_cast<uint32_t>(KORVANE_ERROR_GENERIC)) continue;
      ++mapped;
      const bool ivi = (low & 0xF000) == 0x7000;
      const uint32_t expected =
          (high == 0x00040000u ? 0x3FFA0000u : 0xBFFA0000u) | (ivi ? low & 0x0FFF : low);
      EXPECT_EQ(status, expected) << std::hex << hr;
      EXPECT_FALSE(MessageOfStatus(static_cast<ViStatus>(status)).empty()) << std::hex << status;
    }
  }
  EXPECT_EQ(mapped, 49);  // every entry but success
  EXPECT_EQ(StatusOfResult(S_OK), VI_SUCCESS);
  EXPECT_EQ(MessageOfStatus(VI_SUCCESS), "Success.");
  for (HRESULT other : {S_FALSE, E_INVALIDARG, static_cast<HRESULT>(0x80047005)}) {
    EXPECT_EQ(StatusOfResult(other), KORVANE_ERROR_GENERIC);
  }
  for (ViStatus attribute : {IVI_ERROR_INVALID_ATTRIBUTE, IVI_ERROR_IVI_ATTR_NOT_WRITABLE,
                             IVI_ERROR_IVI_ATTR_NOT_READABLE, IVI_ERROR_TYPES_DO_NOT_MATCH}) {
    EXPECT_TRUE(MessageOfStatus(attribute).empty());
  }
}

// The inserts (%1, %2, %3) a text names, as a bit set.
unsigned Inserts(std::string_view text) {
  unsigned found = 0;
  for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at + 1)) {
    if (at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '3')
      found |= 1u << (text[at + 1] - '1');
  }
  return found;
}

// The C texts are worded apart from the driver's message table, and name, unfilled, only
// inserts that the message-table entry whose result maps to their status has too.
TEST(StatusRules, CTextsNameTheInsertsOfTheirMessageTableEntry) {
  int withInserts = 0;
  for (const MessageEntry& entry : MessageTable()) {
    const ViStatus status = StatusOfResult(entry.status);
    if (status == KORVANE_ERROR_GENERIC) continue;
    const unsigned inserts = Inserts(OleToAnsi(entry.text));
    const unsigned named = Inserts(MessageOfStatus(status));
    EXPECT_EQ(named & ~inserts, 0u) << entry.codeName;
    withInserts += named != 0;
  }
  EXPECT_GT(withInserts, 5);
}

class TranslationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    IviSession_ClearError(VI_NULL);
  }
  void TearDown() override { CoUninitialize(); }

  static std::pair<ViStatus, std::string> ThreadError() {
    ViStatus code = -1;
    char text[256] = "unread";
    IviSession_GetError(VI_NULL, sizeof text, &code, text);
    return {code, text};
  }
};

TEST_F(TranslationTest, PendingDescriptionTravelsWithTheStatus) {
  struct Case {
    HRESULT hr;
    ViStatus status;
  };
  for (const Case& c : {Case{static_cast<HRESULT>(0x80047010), IVI_ERROR_INVALID_VALUE},
                        Case{static_cast<HRESULT>(0x00047066), IVI_WARN_NSUP_RESET},
                        Case{E_INVALIDARG, KORVANE_ERROR_GENERIC}}) {
    testing::SetThreadError(OLESTR("Korvane: t\u00e9st"));
    EXPECT_EQ(TranslateResult(VI_NULL, c.hr), c.status);
    // In the thread's ANSI code page: UTF-8 on Linux, the system's code page on Windows.
    EXPECT_EQ(ThreadError(),
              std::make_pair(c.status, testing::Narrow(OLESTR("Korvane: t\u00e9st"))));
  }
  // No pending error: the status alone, nothing stored.
  EXPECT_EQ(TranslateResult(VI_NULL, static_cast<HRESULT>(0x80044002)), KORVANE_ERROR_CHASSIS_API);
  EXPECT_EQ(ThreadError(), std::make_pair(VI_SUCCESS, std::string()));
}

TEST_F(TranslationTest, SuccessLeavesThePendingErrorAlone) {
  testing::SetThreadError(OLESTR("kept"));
  EXPECT_EQ(TranslateResult(VI_NULL, S_OK), VI_SUCCESS);
  EXPECT_EQ(ThreadError().first, VI_SUCCESS);
  ComPtr<IErrorInfo> info;
  EXPECT_EQ(GetErrorInfo(0, info.GetAddressOf()), S_OK);
  EXPECT_TRUE(info);
}

// The string return rule over text lengths around a 256-byte buffer and every kind of size.
TEST(StringReturnRule, FillsTheBufferOrAsksForTheSize) {
  for (size_t length : {0, 1, 254, 255, 256, 300}) {
    const std::string value(length, 'v');
    const auto needed = static_cast<ViStatus>(length + 1);
    for (ViInt32 size : {-1, 0, 1, 255, 256, 257}) {
      std::string buffer(400, '#');
      const ViStatus result = ReturnString(value.data(), length, size, buffer.data());
      if (size == 0) {
        EXPECT_EQ(result, needed);
        EXPECT_EQ(buffer.front(), '#');
        continue;
      }
      const bool whole = size < 0 || length < static_cast<size_t>(size);
      const size_t kept = whole ? length : static_cast<size_t>(size) - 1;
      EXPECT_EQ(result, whole ? VI_SUCCESS : needed) << length << " in " << size;
      EXPECT_EQ(buffer.substr(0, kept + 2), value.substr(0, kept) + '\0' + '#');
    }
    EXPECT_EQ(ReturnString(value.data(), length, 256, nullptr), needed);
  }
  char buffer[4] = "###";
  EXPECT_EQ(ReturnString(nullptr, 0, 4, buffer), VI_SUCCESS);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(ReturnString(nullptr, 0, 4, nullptr), 1);
  EXPECT_EQ(ReturnString(nullptr, 0, 0, buffer), 1);
}

}  // namespace
}  // namespace korvane::ivic

// Conversion between UTF-8 and UTF-16 with the Windows size conventions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

struct Sample {
  const char* name;
  const char* utf8;
  OleString utf16;
};

// ASCII, two-byte (U+00E9), three-byte (U+20AC) and four-byte (U+1F600) forms.
const Sample kSamples[] = {
    {"ascii", "Korvane", OLESTR("Korvane")},
    {"two-byte", "caf\xC3\xA9", OleString{0x63, 0x61, 0x66, 0xE9}},
    {"three-byte",
     "\xE2\x82\xAC"
     "5",
     OleString{0x20AC, 0x35}},
    {"four-byte", "a\xF0\x9F\x98\x80", OleString{0x61, 0xD83D, 0xDE00}},
};

TEST(TextConversion, Utf8ToUtf16WithSizeQueries) {
  for (const Sample& sample : kSamples) {
    SCOPED_TRACE(sample.name);
    const int bytes = static_cast<int>(std::strlen(sample.utf8));
    // Size query, without and with the terminator (-1 counts it).
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, sample.utf8, bytes, nullptr, 0),
              static_cast<int>(sample.utf16.size()));
    const int withTerminator = MultiByteToWideChar(CP_UTF8, 0, sample.utf8, -1, nullptr, 0);
    ASSERT_EQ(withTerminator, static_cast<int>(sample.utf16.size()) + 1);

    OleString wide(static_cast<std::size_t>(withTerminator), OLECHAR{0x7777});
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, sample.utf8, -1, wide.data(), withTerminator),
              withTerminator);
    EXPECT_EQ(wide.back(), 0);
    wide.pop_back();
    EXPECT_TRUE(wide == sample.utf16);
  }
}

TEST(TextConversion, Utf16ToUtf8WithSizeQueries) {
  for (const Sample& sample : kSamples) {
    SCOPED_TRACE(sample.name);
    const int units = static_cast<int>(sample.utf16.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, sample.utf16.data(), units, nullptr, 0, nullptr, nullptr);
    ASSERT_EQ(bytes, static_cast<int>(std::strlen(sample.utf8)));
    std::string narrow(static_cast<std::size_t>(bytes), '?');
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, sample.utf16.data(), units, narrow.data(), bytes,
                                  nullptr, nullptr),
              bytes);
    EXPECT_EQ(narrow, sample.utf8);
    EXPECT_EQ(
        WideCharToMultiByte(CP_UTF8, 0, sample.utf16.c_str(), -1, nullptr, 0, nullptr, nullptr),
        bytes + 1);
  }
}

TEST(TextConversion, TooSmallBufferFails) {
  OLECHAR wide[2];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, wide, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  char narrow[3];
  const OLECHAR euro[] = {0x20AC, 0};
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, euro, 1, narrow, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(TextConversion, MalformedInputIsReplacedOrRefused) {
  const char broken[] =
      "a\xFF"
      "b";
  OLECHAR wide[8] = {};
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, broken, 3, wide, 8), 3);
  EXPECT_EQ(wide[1], 0xFFFD);
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, broken, 3, wide, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));

  const OLECHAR loneSurrogate[] = {0x61, 0xD800, 0x62};
  char narrow[8] = {};
  ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, loneSurrogate, 3, narrow, 8, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(narrow, 5),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(TextConversion, InvalidArgumentsAreRefused) {
  OLECHAR wide[4];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 0, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace

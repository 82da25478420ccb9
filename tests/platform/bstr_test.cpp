// BSTR allocation: lengths, embedded NULs, surrogate pairs, reallocation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

TEST(Bstr, KeepsUtf16TextWithSurrogatesAndEmbeddedNuls) {
  // "A", U+1D11E (a surrogate pair), NUL, "z", U+00E9.
  const OLECHAR text[] = {0x0041, 0xD834, 0xDD1E, 0x0000, 0x007A, 0x00E9};
  const UINT length = sizeof(text) / sizeof(text[0]);
  BSTR copy = SysAllocStringLen(text, length);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(SysStringLen(copy), length);
  EXPECT_EQ(SysStringByteLen(copy), length * sizeof(OLECHAR));
  EXPECT_EQ(std::memcmp(copy, text, sizeof(text)), 0);
  EXPECT_EQ(copy[length], 0) << "a BSTR is terminated";
  // The 4 bytes in front of the text hold its byte length.
  UINT prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const char*>(copy) - 4, sizeof(prefix));
  EXPECT_EQ(prefix, length * sizeof(OLECHAR));
  SysFreeString(copy);
}

TEST(Bstr, SysAllocStringStopsAtTheTerminator) {
  BSTR text = SysAllocString(OLESTR("Korvane"));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 7u);
  EXPECT_TRUE(BstrView(text) == OLESTR("Korvane"));
  SysFreeString(text);
}

TEST(Bstr, ByteLengthMayBeOdd) {
  BSTR bytes = SysAllocStringByteLen("abc", 3);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(SysStringByteLen(bytes), 3u);
  EXPECT_EQ(SysStringLen(bytes), 1u);
  EXPECT_EQ(std::memcmp(bytes, "abc", 4), 0) << "followed by a NUL byte";
  SysFreeString(bytes);
}

TEST(Bstr, NullIsTheEmptyString) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);  // must not crash

  BSTR empty = SysAllocString(OLESTR(""));
  ASSERT_NE(empty, nullptr) << "an empty BSTR is not a null one";
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);

  BSTR zeroed = SysAllocStringLen(nullptr, 3);
  ASSERT_NE(zeroed, nullptr);
  EXPECT_EQ(SysStringLen(zeroed), 3u);
  EXPECT_EQ(zeroed[3], 0);
  SysFreeString(zeroed);
}

// SysReAllocStringLen with a text copies it; with a null text it keeps the old
// content as far as the new length reaches (what lies beyond it is not
// defined); a null BSTR is reallocated as a new one.
TEST(Bstr, ReallocationReplacesOrKeepsTheText) {
  struct Case {
    const OLECHAR* before;  // null: a null BSTR
    const OLECHAR* text;    // null: keep the old content
    UINT length;
    const OLECHAR* kept;  // the expected start of the result
  };
  const Case cases[] = {
      {OLESTR("first"), OLESTR("abcdef"), 3, OLESTR("abc")},
      {OLESTR("first"), OLESTR("second value"), 12, OLESTR("second value")},
      {OLESTR("first"), nullptr, 3, OLESTR("fir")},
      {OLESTR("first"), nullptr, 8, OLESTR("first")},
      {OLESTR("first"), nullptr, 0, OLESTR("")},
      {nullptr, OLESTR("new"), 3, OLESTR("new")},
      {nullptr, nullptr, 2, OLESTR("")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "length " << c.length << (c.text ? " with" : " without")
                                    << " text, " << (c.before ? "" : "null ") << "BSTR before");
    BSTR text = SysAllocString(c.before);
    ASSERT_TRUE(SysReAllocStringLen(&text, c.text, c.length));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), c.length);
    EXPECT_EQ(text[c.length], 0) << "a BSTR is terminated";
    EXPECT_TRUE(BstrView(text).substr(0, OleView(c.kept).size()) == OleView(c.kept));
    SysFreeString(text);
  }
  BSTR replaced = SysAllocString(OLESTR("same"));
  ASSERT_TRUE(SysReAllocString(&replaced, OLESTR("other")));
  EXPECT_TRUE(BstrView(replaced) == OLESTR("other"));
  SysFreeString(replaced);
}

}  // namespace

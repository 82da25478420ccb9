#include <cstring>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "standins/ivi_session/ivi_session.h"
#include "tests/ivi_session/scoped_session.h"

namespace {

struct ReadError {
  ViStatus status;
  ViStatus code;
  std::string description;
};

ReadError Read(ViSession session) {
  ReadError read{};
  char text[256];
  read.status = IviSession_GetError(session, sizeof text, &read.code, text);
  read.description = text;
  return read;
}

TEST(IviSessionError, EachSessionKeepsItsOwnErrorApartFromTheThreadsOne) {
  ScopedSession first;
  ScopedSession second;
  ASSERT_EQ(IviSession_SetError(first.get(), 0xBFFA0010, "first"), VI_SUCCESS);
  ASSERT_EQ(IviSession_SetError(second.get(), 0x3FFA0065, "second"), VI_SUCCESS);
  ASSERT_EQ(IviSession_SetError(VI_NULL, 0xBFFA4002, "thread"), VI_SUCCESS);

  const auto fromSecond = Read(second.get());
  EXPECT_EQ(fromSecond.status, VI_SUCCESS);
  EXPECT_EQ(fromSecond.code, 0x3FFA0065);
  EXPECT_EQ(fromSecond.description, "second");
  const auto fromFirst = Read(first.get());
  EXPECT_EQ(fromFirst.code, static_cast<ViStatus>(0xBFFA0010));
  EXPECT_EQ(fromFirst.description, "first");
  const auto fromThread = Read(VI_NULL);
  EXPECT_EQ(fromThread.code, static_cast<ViStatus>(0xBFFA4002));
  EXPECT_EQ(fromThread.description, "thread");
}

TEST(IviSessionError, ThreadErrorIsSeenOnlyByTheThreadThatStoredIt) {
  ASSERT_EQ(IviSession_SetError(VI_NULL, 0xBFFA0058, "main thread"), VI_SUCCESS);
  ReadError seenByOther{};
  ReadError otherAfterStoring{};
  std::thread other([&] {
    seenByOther = Read(VI_NULL);
    IviSession_SetError(VI_NULL, 0xBFFA0000, "other thread");
    otherAfterStoring = Read(VI_NULL);
  });
  other.join();

  EXPECT_EQ(seenByOther.code, VI_SUCCESS);
  EXPECT_EQ(seenByOther.description, "");
  EXPECT_EQ(otherAfterStoring.code, static_cast<ViStatus>(0xBFFA0000));
  EXPECT_EQ(otherAfterStoring.description, "other thread");
  const auto mine = Read(VI_NULL);
  EXPECT_EQ(mine.code, static_cast<ViStatus>(0xBFFA0058));
  EXPECT_EQ(mine.description, "main thread");
}

TEST(IviSessionError, SessionErrorIsSharedByAllThreads) {
  ScopedSession session;
  std::thread writer([&] { IviSession_SetError(session.get(), 0xBFFA0001, "from writer"); });
  writer.join();
  const auto read = Read(session.get());
  EXPECT_EQ(read.code, static_cast<ViStatus>(0xBFFA0001));
  EXPECT_EQ(read.description, "from writer");
}

TEST(IviSessionError, StoreReplaceClearAndNullElaboration) {
  ScopedSession session;
  const auto none = Read(session.get());
  EXPECT_EQ(none.status, VI_SUCCESS);
  EXPECT_EQ(none.code, VI_SUCCESS);
  EXPECT_EQ(none.description, "");

  IviSession_SetError(session.get(), 1, "old");
  IviSession_SetError(session.get(), 2, "new");
  EXPECT_EQ(Read(session.get()).description, "new");

  IviSession_SetError(session.get(), 3, nullptr);
  const auto nullText = Read(session.get());
  EXPECT_EQ(nullText.code, 3);
  EXPECT_EQ(nullText.description, "");

  for (ViSession target : {session.get(), static_cast<ViSession>(VI_NULL)}) {
    IviSession_SetError(target, 4, "to clear");
    ASSERT_EQ(IviSession_ClearError(target), VI_SUCCESS);
    const auto cleared = Read(target);
    EXPECT_EQ(cleared.code, VI_SUCCESS) << target;
    EXPECT_EQ(cleared.description, "") << target;
  }
}

TEST(IviSessionError, GetErrorFillsTheBufferUnderTheStringRule) {
  const std::string text = "Out of range";  // 12 bytes, needs 13
  struct Case {
    ViInt32 bufferSize;
    bool nullBuffer;
    ViStatus status;
    std::string written;  // what the buffer holds afterwards; "#" marks an untouched buffer
    bool cleared;
  };
  const Case cases[] = {
      {0, false, 13, "#", false},
      {20, true, 13, "#", false},
      {0, true, 13, "#", false},
      {-1, false, VI_SUCCESS, text, true},
      {13, false, VI_SUCCESS, text, true},
      {100, false, VI_SUCCESS, text, true},
      {12, false, 13, "Out of rang", true},
      {1, false, 13, "", true},
  };
  for (const auto& c : cases) {
    ScopedSession session;
    IviSession_SetError(session.get(), 0xBFFA0010, text.c_str());
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    buffer[1] = '\0';
    ViStatus code = 0;
    const ViStatus status =
        IviSession_GetError(session.get(), c.bufferSize, &code, c.nullBuffer ? nullptr : buffer);
    EXPECT_EQ(status, c.status) << c.bufferSize;
    EXPECT_EQ(code, static_cast<ViStatus>(0xBFFA0010)) << c.bufferSize;
    EXPECT_EQ(std::string(buffer), c.written) << c.bufferSize;
    EXPECT_EQ(Read(session.get()).description, c.cleared ? "" : text) << c.bufferSize;
  }
}

TEST(IviSessionError, EmptyDescriptionNeedsOneByte) {
  ScopedSession session;
  ViStatus code = -1;
  char buffer[4] = "###";
  EXPECT_EQ(IviSession_GetError(session.get(), 0, &code, buffer), 1);
  EXPECT_EQ(code, VI_SUCCESS);
  EXPECT_STREQ(buffer, "###");
  EXPECT_EQ(IviSession_GetError(session.get(), 1, &code, buffer), VI_SUCCESS);
  EXPECT_STREQ(buffer, "");
}

}  // namespace

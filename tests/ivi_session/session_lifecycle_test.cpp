#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "standins/ivi_session/ivi_session.h"
#include "tests/ivi_session/scoped_session.h"

namespace {

TEST(IviSessionLifecycle, NewHandsOutDistinctNonNullHandlesAndDoesNotReuseDisposedOnes) {
  ViSession disposed = VI_NULL;
  ASSERT_EQ(IviSession_New(&disposed), VI_SUCCESS);
  ASSERT_NE(disposed, static_cast<ViSession>(VI_NULL));
  ASSERT_EQ(IviSession_Dispose(disposed), VI_SUCCESS);

  std::vector<ViSession> handles(64);
  for (auto& handle : handles) ASSERT_EQ(IviSession_New(&handle), VI_SUCCESS);
  std::vector<ViSession> sorted = handles;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
  EXPECT_EQ(std::count(handles.begin(), handles.end(), disposed), 0);
  EXPECT_EQ(std::count(handles.begin(), handles.end(), static_cast<ViSession>(VI_NULL)), 0);
  for (auto handle : handles) EXPECT_EQ(IviSession_Dispose(handle), VI_SUCCESS);
}

// A handle looked up before it was issued is found once it is: no lookup outlives a change of
// the table.
TEST(IviSessionLifecycle, AHandleRefusedBeforeItIsIssuedIsFoundAfterwards) {
  ScopedSession first;
  const ViSession next = first.get() + 1;  // handles come from a counter
  void* data = nullptr;
  ASSERT_EQ(IviSession_GetDataPtr(next, &data), IVI_ERROR_INVALID_SESSION_HANDLE);
  ScopedSession second;
  ASSERT_EQ(second.get(), next);
  EXPECT_EQ(IviSession_GetDataPtr(next, &data), VI_SUCCESS);
}

TEST(IviSessionLifecycle, EveryFunctionRefusesHandlesThatAreNotOpenSessions) {
  ViSession disposed = VI_NULL;
  ASSERT_EQ(IviSession_New(&disposed), VI_SUCCESS);
  ASSERT_EQ(IviSession_Dispose(disposed), VI_SUCCESS);
  const ViSession neverIssued = 0xFFFFFFF0u;

  struct Call {
    std::string name;
    bool acceptsNull;  // VI_NULL names the calling thread's error
    std::function<ViStatus(ViSession)> run;
  };
  const std::vector<Call> calls = {
      {"Dispose", false, [](ViSession s) { return IviSession_Dispose(s); }},
      {"SetDataPtr", false, [](ViSession s) { return IviSession_SetDataPtr(s, nullptr); }},
      {"GetDataPtr", false,
       [](ViSession s) {
         int marker = 0;
         void* data = &marker;
         const ViStatus status = IviSession_GetDataPtr(s, &data);
         EXPECT_EQ(data, &marker) << "a refused call must leave the output alone";
         return status;
       }},
      {"Lock", false, [](ViSession s) { return IviSession_Lock(s, nullptr); }},
      {"Unlock", false, [](ViSession s) { return IviSession_Unlock(s, nullptr); }},
      {"LockWithFlag", false,
       [](ViSession s) {
         ViBoolean hasLock = VI_FALSE;
         const ViStatus status = IviSession_Lock(s, &hasLock);
         EXPECT_EQ(hasLock, VI_FALSE);
         return status;
       }},
      {"SetError", true, [](ViSession s) { return IviSession_SetError(s, 5, "text"); }},
      {"GetError", true,
       [](ViSession s) {
         ViStatus code = 0;
         char text[16];
         return IviSession_GetError(s, sizeof text, &code, text);
       }},
      {"ClearError", true, [](ViSession s) { return IviSession_ClearError(s); }},
  };
  for (const auto& call : calls) {
    for (ViSession bad : {disposed, neverIssued}) {
      EXPECT_EQ(call.run(bad), IVI_ERROR_INVALID_SESSION_HANDLE) << call.name << " " << bad;
    }
    const ViStatus expectedForNull =
        call.acceptsNull ? VI_SUCCESS : IVI_ERROR_INVALID_SESSION_HANDLE;
    EXPECT_EQ(call.run(VI_NULL), expectedForNull) << call.name << " VI_NULL";
  }
}

TEST(IviSessionLifecycle, NullOutPointersAreRefused) {
  ScopedSession session;
  ViStatus code = 0;
  char text[8];
  EXPECT_EQ(IviSession_New(nullptr), IVISESSION_ERROR_NULL_POINTER);
  EXPECT_EQ(IviSession_GetDataPtr(session.get(), nullptr), IVISESSION_ERROR_NULL_POINTER);
  EXPECT_EQ(IviSession_GetError(session.get(), sizeof text, nullptr, text),
            IVISESSION_ERROR_NULL_POINTER);
  EXPECT_EQ(IviSession_GetError(VI_NULL, sizeof text, &code, text), VI_SUCCESS);
}

TEST(IviSessionLifecycle, DataPointerStartsNullAndStaysWithItsSession) {
  ScopedSession first;
  ScopedSession second;
  int firstData = 1;
  int secondData = 2;
  void* read = &firstData;
  ASSERT_EQ(IviSession_GetDataPtr(first.get(), &read), VI_SUCCESS);
  EXPECT_EQ(read, nullptr);

  ASSERT_EQ(IviSession_SetDataPtr(first.get(), &firstData), VI_SUCCESS);
  ASSERT_EQ(IviSession_SetDataPtr(second.get(), &secondData), VI_SUCCESS);
  ASSERT_EQ(IviSession_GetDataPtr(first.get(), &read), VI_SUCCESS);
  EXPECT_EQ(read, &firstData);
  ASSERT_EQ(IviSession_GetDataPtr(second.get(), &read), VI_SUCCESS);
  EXPECT_EQ(read, &secondData);

  // A cookie widened to a pointer comes back unchanged.
  void* const cookie = reinterpret_cast<void*>(static_cast<uintptr_t>(0x1234u));
  ASSERT_EQ(IviSession_SetDataPtr(first.get(), cookie), VI_SUCCESS);
  ASSERT_EQ(IviSession_GetDataPtr(first.get(), &read), VI_SUCCESS);
  EXPECT_EQ(read, cookie);
}

}  // namespace

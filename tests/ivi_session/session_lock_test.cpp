#include <atomic>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "standins/ivi_session/ivi_session.h"
#include "tests/ivi_session/scoped_session.h"

namespace {

// Another thread that takes the session's lock, notes that it has it, and releases it.
class Contender {
 public:
  explicit Contender(ViSession session)
      : thread_([this, session] {
          started_ = true;
          lockStatus_ = IviSession_Lock(session, nullptr);
          acquired_ = true;
          unlockStatus_ = IviSession_Unlock(session, nullptr);
        }) {}
  ~Contender() { Join(); }
  Contender(const Contender&) = delete;
  Contender& operator=(const Contender&) = delete;

  // Waits until the thread is about to ask for the lock, then gives it turns to get it.
  void LetItTry() const {
    while (!started_) std::this_thread::yield();
    for (int turn = 0; turn < 1000; ++turn) std::this_thread::yield();
  }
  bool Acquired() const { return acquired_; }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  ViStatus LockStatus() const { return lockStatus_; }
  ViStatus UnlockStatus() const { return unlockStatus_; }

 private:
  std::atomic<bool> started_{false};
  std::atomic<bool> acquired_{false};
  std::atomic<ViStatus> lockStatus_{-1};
  std::atomic<ViStatus> unlockStatus_{-1};
  std::thread thread_;
};

TEST(IviSessionLock, HolderTakesItAgainWhileAnotherThreadWaitsForTheLastRelease) {
  ScopedSession session;
  ASSERT_EQ(IviSession_Lock(session.get(), nullptr), VI_SUCCESS);
  ASSERT_EQ(IviSession_Lock(session.get(), nullptr), VI_SUCCESS);

  Contender other(session.get());
  other.LetItTry();
  EXPECT_FALSE(other.Acquired());
  ASSERT_EQ(IviSession_Unlock(session.get(), nullptr), VI_SUCCESS);
  other.LetItTry();
  EXPECT_FALSE(other.Acquired()) << "one release of two must not free the lock";
  ASSERT_EQ(IviSession_Unlock(session.get(), nullptr), VI_SUCCESS);
  other.Join();

  EXPECT_TRUE(other.Acquired());
  EXPECT_EQ(other.LockStatus(), VI_SUCCESS);
  EXPECT_EQ(other.UnlockStatus(), VI_SUCCESS);
}

TEST(IviSessionLock, OnlyTheHolderMayRelease) {
  ScopedSession session;
  EXPECT_EQ(IviSession_Unlock(session.get(), nullptr), IVISESSION_ERROR_NOT_LOCKED);
  ASSERT_EQ(IviSession_Lock(session.get(), nullptr), VI_SUCCESS);
  ViStatus fromOther = VI_SUCCESS;
  ViBoolean otherFlag = VI_TRUE;
  ViStatus fromOtherWithFlag = VI_SUCCESS;
  std::thread([&] {
    fromOther = IviSession_Unlock(session.get(), nullptr);
    fromOtherWithFlag = IviSession_Unlock(session.get(), &otherFlag);
  }).join();
  EXPECT_EQ(fromOther, IVISESSION_ERROR_NOT_LOCKED);
  EXPECT_EQ(fromOtherWithFlag, IVISESSION_ERROR_NOT_LOCKED);
  EXPECT_EQ(otherFlag, VI_TRUE);
  EXPECT_EQ(IviSession_Unlock(session.get(), nullptr), VI_SUCCESS);
}

TEST(IviSessionLock, CallerHasLockFlagGuardsAgainstDoubleLockAndDoubleUnlock) {
  ScopedSession session;
  const ViSession s = session.get();

  // Lock with the flag set does nothing: one release frees the lock.
  ViBoolean hasLock = VI_FALSE;
  ASSERT_EQ(IviSession_Lock(s, &hasLock), VI_SUCCESS);
  EXPECT_EQ(hasLock, VI_TRUE);
  ASSERT_EQ(IviSession_Lock(s, &hasLock), VI_SUCCESS);
  EXPECT_EQ(hasLock, VI_TRUE);
  ASSERT_EQ(IviSession_Unlock(s, &hasLock), VI_SUCCESS);
  EXPECT_EQ(hasLock, VI_FALSE);
  EXPECT_EQ(IviSession_Unlock(s, nullptr), IVISESSION_ERROR_NOT_LOCKED);

  // Unlock with the flag clear does nothing: the plain lock is still held.
  ASSERT_EQ(IviSession_Lock(s, nullptr), VI_SUCCESS);
  ASSERT_EQ(IviSession_Unlock(s, &hasLock), VI_SUCCESS);
  EXPECT_EQ(hasLock, VI_FALSE);
  EXPECT_EQ(IviSession_Unlock(s, nullptr), VI_SUCCESS);
  EXPECT_EQ(IviSession_Unlock(s, nullptr), IVISESSION_ERROR_NOT_LOCKED);

  // A flag and a plain lock of the same thread nest.
  ASSERT_EQ(IviSession_Lock(s, nullptr), VI_SUCCESS);
  ASSERT_EQ(IviSession_Lock(s, &hasLock), VI_SUCCESS);
  ASSERT_EQ(IviSession_Unlock(s, &hasLock), VI_SUCCESS);
  EXPECT_EQ(IviSession_Unlock(s, nullptr), VI_SUCCESS);
  EXPECT_EQ(IviSession_Unlock(s, nullptr), IVISESSION_ERROR_NOT_LOCKED);
}

TEST(IviSessionLock, DisposingASessionAnotherThreadHoldsLeavesThatThreadAnError) {
  ViSession session = VI_NULL;
  ASSERT_EQ(IviSession_New(&session), VI_SUCCESS);
  std::promise<void> locked;
  std::promise<void> disposed;
  ViStatus lockStatus = -1;
  ViStatus unlockStatus = -1;
  std::thread holder([&] {
    lockStatus = IviSession_Lock(session, nullptr);
    locked.set_value();
    disposed.get_future().wait();
    unlockStatus = IviSession_Unlock(session, nullptr);
  });
  locked.get_future().wait();
  EXPECT_EQ(IviSession_Dispose(session), VI_SUCCESS);
  disposed.set_value();
  holder.join();
  EXPECT_EQ(lockStatus, VI_SUCCESS);
  EXPECT_EQ(unlockStatus, IVI_ERROR_INVALID_SESSION_HANDLE);
}

TEST(IviSessionLock, DisposingWakesAThreadWaitingForTheLock) {
  ViSession session = VI_NULL;
  ASSERT_EQ(IviSession_New(&session), VI_SUCCESS);
  ASSERT_EQ(IviSession_Lock(session, nullptr), VI_SUCCESS);
  ViBoolean waiterFlag = VI_FALSE;
  {
    Contender waiter(session);
    waiter.LetItTry();
    EXPECT_FALSE(waiter.Acquired());
    ASSERT_EQ(IviSession_Dispose(session), VI_SUCCESS);
    waiter.Join();
    EXPECT_EQ(waiter.LockStatus(), IVI_ERROR_INVALID_SESSION_HANDLE);
    EXPECT_EQ(waiter.UnlockStatus(), IVI_ERROR_INVALID_SESSION_HANDLE);
  }
  EXPECT_EQ(IviSession_Lock(session, &waiterFlag), IVI_ERROR_INVALID_SESSION_HANDLE);
  EXPECT_EQ(waiterFlag, VI_FALSE);
}

}  // namespace

// The state behind one IVI-C session handle: its data pointer, its stored error and its re-entrant
// lock. Every operation is refused with IVI_ERROR_INVALID_SESSION_HANDLE once the session has been
// disposed, so a thread that found the session just before another thread disposed of it sees the
// same answer as one that looks the handle up afterwards.
#ifndef KORVANE_PLATFORM_IVI_SESSION_STATE_H
#define KORVANE_PLATFORM_IVI_SESSION_STATE_H

#include <condition_variable>
#include <mutex>
#include <thread>

#include "standins/ivi_session/error_record.h"
#include "standins/ivi_session/visatype.h"

namespace korvane::ivi {

// Each state starts a cache line of its own: threads that work on different sessions then never
// write to one line, however the allocator placed the states.
class alignas(64) SessionState {
 public:
  SessionState() = default;
  // One state per handle; a copy would split the lock in two.
  SessionState(const SessionState&) = delete;
  SessionState& operator=(const SessionState&) = delete;

  ViStatus SetData(void* data);
  ViStatus GetData(void** data) const;

  ViStatus SetError(ViStatus code, const char* elaboration);
  ViStatus ReadError(ViInt32 bufferSize, ViStatus* code, ViChar* description);
  ViStatus ClearError();

  // Takes one level of the lock, waiting while another thread holds it. Returns
  // IVI_ERROR_INVALID_SESSION_HANDLE, without the lock, if the session is or gets disposed.
  ViStatus Lock();
  // Releases one level; IVISESSION_ERROR_NOT_LOCKED unless the calling thread holds the lock.
  ViStatus Unlock();

  // Blocks until `count` threads wait in Lock, or the session is disposed.
  ViStatus AwaitLockWaiters(unsigned count);

  // Refuses every later operation and wakes the threads waiting for the lock.
  void Dispose();

 private:
  bool HeldByOther(std::thread::id caller) const;

  mutable std::mutex mutex_;
  std::condition_variable lockReleased_;
  bool disposed_ = false;
  void* data_ = nullptr;
  ErrorRecord error_;
  std::thread::id owner_;  // default id: nobody holds the lock
  unsigned depth_ = 0;
  unsigned waiters_ = 0;  // threads waiting in Lock
};

}  // namespace korvane::ivi

#endif  // KORVANE_PLATFORM_IVI_SESSION_STATE_H

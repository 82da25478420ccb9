#include "standins/ivi_session/session_state.h"

#include "standins/ivi_session/ivi_session.h"

namespace korvane::ivi {

ViStatus SessionState::SetData(void* data) {
  std::lock_guard guard(mutex_);
  if (disposed_) return IVI_ERROR_INVALID_SESSION_HANDLE;
  data_ = data;
  return VI_SUCCESS;
}

ViStatus SessionState::GetData(void** data) const {
  std::lock_guard guard(mutex_);
  if (disposed_) return IVI_ERROR_INVALID_SESSION_HANDLE;
  *data = data_;
  return VI_SUCCESS;
}

ViStatus SessionState::SetError(ViStatus code, const char* elaboration) {
  std::lock_guard guard(mutex_);
  if (disposed_) return IVI_ERROR_INVALID_SESSION_HANDLE;
  error_.Set(code, elaboration);
  return VI_SUCCESS;
}

ViStatus SessionState::ReadError(ViInt32 bufferSize, ViStatus* code, ViChar* description) {
  std::lock_guard guard(mutex_);
  if (disposed_) return IVI_ERROR_INVALID_SESSION_HANDLE;
  return error_.ReadAndClear(bufferSize, code, description);
}

ViStatus SessionState::ClearError() {
  std::lock_guard guard(mutex_);
  if (disposed_) return IVI_ERROR_INVALID_SESSION_HANDLE;
  error_.Clear();
  return VI_SUCCESS;
}

bool SessionState::HeldByOther(std::thread::id caller) const {
  return depth_ > 0 && owner_ != caller;
}

ViStatus SessionState::Lock() {
  const auto caller = std::this_thread::get_id();
  std::unique_lock guard(mutex_);
  if (HeldByOther(caller)) {
    ++waiters_;
    lockReleased_.notify_all();  // for AwaitLockWaiters
    lockReleased_.wait(guard, [&] { return disposed_ || !HeldByOther(caller); });
    --waiters_;
  }
  if (disposed_) return IVI_ERROR_INVALID_SESSION_HANDLE;
  owner_ = caller;
  ++depth_;
  return VI_SUCCESS;
}

ViStatus SessionState::Unlock() {
  const auto caller = std::this_thread::get_id();
  std::unique_lock guard(mutex_);
  if (disposed_) return IVI_ERROR_INVALID_SESSION_HANDLE;
  if (depth_ == 0 || owner_ != caller) return IVISESSION_ERROR_NOT_LOCKED;
  if (--depth_ > 0) return VI_SUCCESS;
  owner_ = std::thread::id();
  const bool awaited = waiters_ > 0;  // AwaitLockWaiters waits for waiters, not for this
  guard.unlock();
  if (awaited) lockReleased_.notify_all();
  return VI_SUCCESS;
}

ViStatus SessionState::AwaitLockWaiters(unsigned count) {
  std::unique_lock guard(mutex_);
  lockReleased_.wait(guard, [&] { return disposed_ || waiters_ >= count; });
  return disposed_ ? IVI_ERROR_INVALID_SESSION_HANDLE : VI_SUCCESS;
}

void SessionState::Dispose() {
  {
    std::lock_guard guard(mutex_);
    disposed_ = true;
  }
  lockReleased_.notify_all();
}

}  // namespace korvane::ivi

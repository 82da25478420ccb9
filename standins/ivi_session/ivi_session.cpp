// The exported C functions of the IVI shared session services: argument checks, handle lookup and
// the translation of out-of-memory into a status; the work is SessionState's.
#include "standins/ivi_session/ivi_session.h"

#include <new>

#include "standins/ivi_session/error_record.h"
#include "standins/ivi_session/session_table.h"

namespace {

using korvane::ivi::ErrorRecord;
using korvane::ivi::SessionState;
using korvane::ivi::SessionTable;

// The error stored with IviSession_SetError(VI_NULL, ...), one per thread.
thread_local ErrorRecord threadError;

// Runs an operation on the session behind handle, or refuses an unknown handle.
template <typename Operation>
ViStatus OnSession(ViSession handle, Operation operation) {
  SessionState* state = nullptr;
  try {
    state = SessionTable::Instance().Find(handle);
  } catch (const std::bad_alloc&) {
    return IVISESSION_ERROR_OUT_OF_MEMORY;
  }
  if (state == nullptr) return IVI_ERROR_INVALID_SESSION_HANDLE;
  return operation(*state);
}

bool IsTrue(ViBoolean flag) {
  return flag != VI_FALSE;
}

}  // namespace

extern "C" {

ViStatus IviSession_New(ViSession* session) {
  if (session == nullptr) return IVISESSION_ERROR_NULL_POINTER;
  *session = VI_NULL;
  try {
    *session = SessionTable::Instance().Add();
    return VI_SUCCESS;
  } catch (const std::bad_alloc&) {
    return IVISESSION_ERROR_OUT_OF_MEMORY;
  }
}

ViStatus IviSession_Dispose(ViSession session) {
  const auto state = SessionTable::Instance().Remove(session);
  if (!state) return IVI_ERROR_INVALID_SESSION_HANDLE;
  state->Dispose();
  return VI_SUCCESS;
}

ViStatus IviSession_SetDataPtr(ViSession session, void* data) {
  return OnSession(session, [&](SessionState& state) { return state.SetData(data); });
}

ViStatus IviSession_GetDataPtr(ViSession session, void** data) {
  if (data == nullptr) return IVISESSION_ERROR_NULL_POINTER;
  return OnSession(session, [&](const SessionState& state) { return state.GetData(data); });
}

ViStatus IviSession_Lock(ViSession session, ViBoolean* callerHasLock) {
  return OnSession(session, [&](SessionState& state) {
    if (callerHasLock != nullptr && IsTrue(*callerHasLock)) return VI_SUCCESS;
    const ViStatus status = state.Lock();
    if (status == VI_SUCCESS && callerHasLock != nullptr) *callerHasLock = VI_TRUE;
    return status;
  });
}

ViStatus IviSession_Unlock(ViSession session, ViBoolean* callerHasLock) {
  return OnSession(session, [&](SessionState& state) {
    if (callerHasLock != nullptr && !IsTrue(*callerHasLock)) return VI_SUCCESS;
    const ViStatus status = state.Unlock();
    if (status == VI_SUCCESS && callerHasLock != nullptr) *callerHasLock = VI_FALSE;
    return status;
  });
}

ViStatus IviSessionStandIn_AwaitLockWaiters(ViSession session, unsigned count) {
  return OnSession(session, [&](SessionState& state) { return state.AwaitLockWaiters(count); });
}

ViStatus IviSession_SetError(ViSession session, ViStatus code, ViConstString elaboration) {
  try {
    if (session == VI_NULL) {
      threadError.Set(code, elaboration);
      return VI_SUCCESS;
    }
    return OnSession(session,
                     [&](SessionState& state) { return state.SetError(code, elaboration); });
  } catch (const std::bad_alloc&) {
    return IVISESSION_ERROR_OUT_OF_MEMORY;
  }
}

ViStatus IviSession_GetError(ViSession session, ViInt32 bufferSize, ViStatus* code,
                             ViChar description[]) {
  if (code == nullptr) return IVISESSION_ERROR_NULL_POINTER;
  if (session == VI_NULL) return threadError.ReadAndClear(bufferSize, code, description);
  return OnSession(
      session, [&](SessionState& state) { return state.ReadError(bufferSize, code, description); });
}

ViStatus IviSession_ClearError(ViSession session) {
  if (session == VI_NULL) {
    threadError.Clear();
    return VI_SUCCESS;
  }
  return OnSession(session, [](SessionState& state) { return state.ClearError(); });
}

}  // extern "C"

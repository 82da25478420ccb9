// IVI shared session services: C session handles with a data pointer, a re-entrant lock and a
// stored error each, plus a per-thread error slot reached through VI_NULL. Shared library
// IviSessionServices; every function is thread-safe.
//
// Handles: IviSession_New hands out 32-bit handles from a counter that only moves forward, so a
// disposed handle is not handed out again until the counter has wrapped (2^32 sessions later);
// VI_NULL is never a session handle.
//
// Status codes of these services (every function returns VI_SUCCESS or one of them):
//   IVI_ERROR_INVALID_SESSION_HANDLE  0xBFFF0096  VI_NULL (where a session is required), a handle
//                                                 never handed out, or one already disposed
//   IVISESSION_ERROR_NULL_POINTER     0xBFFA0058  a required out pointer is null (the value of
//                                                 the IVI null-pointer error)
//   IVISESSION_ERROR_OUT_OF_MEMORY    0xBFFA0056  no memory for a session, an error text or a
//                                                 thread's first lookup (the value of the IVI
//                                                 out-of-memory error)
//   IVISESSION_ERROR_NOT_LOCKED       0xBFFF009C  IviSession_Unlock by a thread that does not hold
//                                                 the lock
// IviSession_GetError also returns positive values: the buffer size its description needs.
#ifndef KORVANE_PLATFORM_IVI_IVI_SESSION_H
#define KORVANE_PLATFORM_IVI_IVI_SESSION_H

#include "standins/ivi_session/visatype.h"

#if defined(_WIN32)
#if defined(IviSessionServices_EXPORTS)
#define IVISESSION_API __declspec(dllexport)
#else
#define IVISESSION_API __declspec(dllimport)
#endif
#else
#define IVISESSION_API __attribute__((visibility("default")))
#endif

#define IVI_ERROR_INVALID_SESSION_HANDLE ((ViStatus)0xBFFF0096UL)
#define IVISESSION_ERROR_NULL_POINTER ((ViStatus)0xBFFA0058UL)
#define IVISESSION_ERROR_OUT_OF_MEMORY ((ViStatus)0xBFFA0056UL)
#define IVISESSION_ERROR_NOT_LOCKED ((ViStatus)0xBFFF009CUL)

#ifdef __cplusplus
extern "C" {
#endif

// Creates a session with a null data pointer, no stored error and its lock free; *session receives
// the handle (VI_NULL on failure).
IVISESSION_API ViStatus IviSession_New(ViSession* session);

// Ends a session: its handle is refused from now on. Dispose never waits for the session's lock.
// When another thread holds the lock, that thread's later IviSession_Unlock returns
// IVI_ERROR_INVALID_SESSION_HANDLE, and threads waiting in IviSession_Lock wake up and return
// IVI_ERROR_INVALID_SESSION_HANDLE without the lock.
IVISESSION_API ViStatus IviSession_Dispose(ViSession session);

IVISESSION_API ViStatus IviSession_SetDataPtr(ViSession session, void* data);
// *data receives the stored pointer; it is left untouched when the session is refused.
IVISESSION_API ViStatus IviSession_GetDataPtr(ViSession session, void** data);

// The session's lock is re-entrant: its holder may take it again, other threads wait until the
// holder has released it as often as it took it.
// callerHasLock null: take one more level of the lock / release one level.
// callerHasLock not null: Lock does nothing when *callerHasLock is VI_TRUE, otherwise takes one
// level and sets it VI_TRUE; Unlock does nothing when *callerHasLock is VI_FALSE, otherwise
// releases one level and sets it VI_FALSE.
// Releasing a lock the calling thread does not hold returns IVISESSION_ERROR_NOT_LOCKED and leaves
// *callerHasLock as it was.
IVISESSION_API ViStatus IviSession_Lock(ViSession session, ViBoolean* callerHasLock);
IVISESSION_API ViStatus IviSession_Unlock(ViSession session, ViBoolean* callerHasLock);

// For tests of this stand-in's users, not part of the shared session services: blocks until
// `count` threads wait in IviSession_Lock for the session (or it is disposed), so that a test
// knows another thread waits without timing it.
IVISESSION_API ViStatus IviSessionStandIn_AwaitLockWaiters(ViSession session, unsigned count);

// Stores code and description (a null elaboration stores an empty one) as the session's error,
// replacing any earlier one. With VI_NULL the pair is stored for the calling thread only.
IVISESSION_API ViStatus IviSession_SetError(ViSession session, ViStatus code,
                                            ViConstString elaboration);

// Reads the stored error of a session (or, with VI_NULL, of the calling thread); without one the
// code is VI_SUCCESS and the description empty. *code is always written; the description follows
// the IVI-C string rule, with L the description's length in bytes:
//   description null or bufferSize 0:   nothing is written, returns L + 1;
//   bufferSize negative or >= L + 1:    the whole description is copied, returns VI_SUCCESS;
//   otherwise:                          bufferSize - 1 bytes and a terminator, returns L + 1.
// Reading clears the stored error, except when it only asked for the size (nothing was written),
// so that a caller can ask for the size first and read the error afterwards.
IVISESSION_API ViStatus IviSession_GetError(ViSession session, ViInt32 bufferSize, ViStatus* code,
                                            ViChar description[]);

// Clears the stored error of a session, or with VI_NULL that of the calling thread.
IVISESSION_API ViStatus IviSession_ClearError(ViSession session);

#ifdef __cplusplus
}
#endif

#endif  // KORVANE_PLATFORM_IVI_IVI_SESSION_H

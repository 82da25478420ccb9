// A session opened for one test and disposed at its end.
#ifndef KORVANE_TESTS_IVI_SESSION_SCOPED_SESSION_H
#define KORVANE_TESTS_IVI_SESSION_SCOPED_SESSION_H

#include <gtest/gtest.h>

#include "standins/ivi_session/ivi_session.h"

class ScopedSession {
 public:
  ScopedSession() { EXPECT_EQ(IviSession_New(&handle_), VI_SUCCESS); }
  ~ScopedSession() { IviSession_Dispose(handle_); }
  // Disposing the same handle twice would hide which copy owns it.
  ScopedSession(const ScopedSession&) = delete;
  ScopedSession& operator=(const ScopedSession&) = delete;

  ViSession get() const { return handle_; }

 private:
  ViSession handle_ = VI_NULL;
};

#endif  // KORVANE_TESTS_IVI_SESSION_SCOPED_SESSION_H

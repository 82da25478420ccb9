// The process-wide table from IVI-C session handles to their states. Handles come from a counter
// that only moves forward and skips VI_NULL and handles still in use, so a disposed handle is not
// handed out again until the counter wraps.
#ifndef KORVANE_PLATFORM_IVI_SESSION_TABLE_H
#define KORVANE_PLATFORM_IVI_SESSION_TABLE_H

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "standins/ivi_session/session_state.h"
#include "standins/ivi_session/visatype.h"

namespace korvane::ivi {

class SessionTable {
 public:
  static SessionTable& Instance();

  SessionTable() = default;
  SessionTable(const SessionTable&) = delete;
  SessionTable& operator=(const SessionTable&) = delete;

  // Throws std::bad_alloc when no memory is left for the session.
  ViSession Add();
  // The session's state, or null for VI_NULL and for handles not (or no longer) in the table.
  // The calling thread keeps the state alive until its next Find, so a session that another
  // thread disposes of meanwhile is still there to refuse the operation; handing out a pointer
  // rather than a shared_ptr spares every lookup two atomic updates of the count. Throws
  // std::bad_alloc when the thread's first lookup finds no memory or slot to keep it in.
  SessionState* Find(ViSession handle) const;
  // Takes the session out of the table and returns its state (null if there was none).
  std::shared_ptr<SessionState> Remove(ViSession handle);

 private:
  ViSession NextFreeHandle();

  mutable std::mutex mutex_;
  std::unordered_map<ViSession, std::shared_ptr<SessionState>> sessions_;
  // Moves on every change of the table. Each thread keeps its last lookup for as long as the
  // generation stands, so that the lookups of every driver call take no lock that threads on
  // other sessions share.
  std::atomic<uint64_t> generation_{0};
  ViSession next_ = 1;
};

}  // namespace korvane::ivi

#endif  // KORVANE_PLATFORM_IVI_SESSION_TABLE_H

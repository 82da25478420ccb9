#include "ivic/close_claim.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace korvane::ivic {
namespace {

struct Claims {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<ViSession> held;     // sessions a close is working on
  std::vector<ViSession> waiting;  // one entry per close waiting for its session
};

// Never destroyed: nothing at process exit may wait on it or free it under a
// thread that still closes.
Claims& TheClaims() {
  static Claims* const claims = new Claims;
  return *claims;
}

bool Holds(const std::vector<ViSession>& sessions, ViSession vi) {
  return std::find(sessions.begin(), sessions.end(), vi) != sessions.end();
}

}  // namespace

CloseClaim::CloseClaim(ViSession vi) : vi_(vi) {
  Claims& claims = TheClaims();
  std::unique_lock lock(claims.mutex);
  if (Holds(claims.held, vi)) {
    claims.waiting.push_back(vi);
    claims.changed.notify_all();
    claims.changed.wait(lock, [&] { return !Holds(claims.held, vi); });
    claims.waiting.erase(std::find(claims.waiting.begin(), claims.waiting.end(), vi));
  }
  claims.held.push_back(vi);
}

CloseClaim::~CloseClaim() {
  Claims& claims = TheClaims();
  {
    std::lock_guard lock(claims.mutex);
    claims.held.erase(std::find(claims.held.begin(), claims.held.end(), vi_));
  }
  claims.changed.notify_all();
}

void AwaitCloseWaiters(ViSession vi, std::size_t count) {
  Claims& claims = TheClaims();
  std::unique_lock lock(claims.mutex);
  claims.changed.wait(lock, [&] {
    return static_cast<std::size_t>(std::count(claims.waiting.begin(), claims.waiting.end(), vi)) >=
           count;
  });
}

}  // namespace korvane::ivic

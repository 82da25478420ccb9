// Closes of one C session take turns. A close claims its session before it
// looks the driver up; a second close of the same session waits until the
// first has disposed of it, and then finds the handle gone, so exactly one of
// them succeeds. The claim is not the session lock: that is held only while
// the driver is looked up, never during the driver's Close.
#pragma once

#include <cstddef>

#include "ivic/Korvane.h"

namespace korvane::ivic {

class CloseClaim {
 public:
  explicit CloseClaim(ViSession vi);
  ~CloseClaim();
  CloseClaim(const CloseClaim&) = delete;
  CloseClaim& operator=(const CloseClaim&) = delete;

 private:
  ViSession vi_;
};

// For tests that force two closes to meet: returns once `count` closes of vi
// wait for the claim another close holds.
void AwaitCloseWaiters(ViSession vi, std::size_t count);

}  // namespace korvane::ivic

// The call record of a process that never asked for it stays empty, and one
// that asks keeps at most kCallRecordLimit calls. A program of its own: the
// record's state at the start of a process is what it tests.
#include <cstdio>

#include "chassis/korvane_fundamental_api.h"
#include "standins/chassis/virtual_chassis.h"

namespace {

int failures = 0;

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "FAILED: %s\n", what);
  ++failures;
}

}  // namespace

int main() {
  using namespace korvane::virtual_chassis;
  Korvane_Fundamental_Api api;
  Expect(api.ioOpen(kDefaultResource, nullptr) == 0, "the served resource opens");
  for (int i = 0; i < 100; ++i) api.getFanMinIndex();
  Expect(CallCount() == 0, "a process that did not ask records nothing");
  SetRecording(true);
  for (uint32_t i = 0; i < kCallRecordLimit + 10; ++i) api.getFanMinIndex();
  Expect(CallCount() == kCallRecordLimit, "a record keeps at most kCallRecordLimit calls");
  return failures == 0 ? 0 : 1;
}

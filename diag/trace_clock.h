#pragma once
// The high-resolution performance counter that times traced calls.

#include "platform/win32.h"

namespace korvane {

inline LONGLONG TraceCounterNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// Counter ticks as seconds. The frequency is fixed at boot, so it is read once.
inline double TraceCounterSeconds(LONGLONG ticks) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? static_cast<double>(f.QuadPart) : 1.0;
  }();
  return static_cast<double>(ticks) / frequency;
}

}  // namespace korvane

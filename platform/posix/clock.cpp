// Wall-clock time (local and UTC) and the monotonic performance counter.
#include <time.h>

#include "platform/posix/winbase.h"

namespace {

// Seconds between 1 January 1601 and 1 January 1970.
constexpr ULONGLONG kFileTimeEpochOffset = 11644473600ULL;
constexpr ULONGLONG kNanosecondsPerSecond = 1000000000ULL;

timespec Now(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return now;
}

void ToSystemTime(const tm& fields, long nanoseconds, LPSYSTEMTIME out) {
  out->wYear = static_cast<WORD>(fields.tm_year + 1900);
  out->wMonth = static_cast<WORD>(fields.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(fields.tm_wday);
  out->wDay = static_cast<WORD>(fields.tm_mday);
  out->wHour = static_cast<WORD>(fields.tm_hour);
  out->wMinute = static_cast<WORD>(fields.tm_min);
  out->wSecond = static_cast<WORD>(fields.tm_sec);
  out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

}  // namespace

extern "C" void GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  const timespec now = Now(CLOCK_REALTIME);
  tm fields{};
  localtime_r(&now.tv_sec, &fields);
  ToSystemTime(fields, now.tv_nsec, lpSystemTime);
}

extern "C" void GetSystemTime(LPSYSTEMTIME lpSystemTime) {
  const timespec now = Now(CLOCK_REALTIME);
  tm fields{};
  gmtime_r(&now.tv_sec, &fields);
  ToSystemTime(fields, now.tv_nsec, lpSystemTime);
}

extern "C" void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
  const timespec now = Now(CLOCK_REALTIME);
  const ULONGLONG ticks =
      (static_cast<ULONGLONG>(now.tv_sec) + kFileTimeEpochOffset) * 10000000ULL +
      static_cast<ULONGLONG>(now.tv_nsec) / 100;
  lpSystemTimeAsFileTime->dwLowDateTime = static_cast<DWORD>(ticks);
  lpSystemTimeAsFileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

// The counter counts nanoseconds of the monotonic clock.
extern "C" BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  const timespec now = Now(CLOCK_MONOTONIC);
  lpPerformanceCount->QuadPart =
      static_cast<LONGLONG>(now.tv_sec) * static_cast<LONGLONG>(kNanosecondsPerSecond) +
      now.tv_nsec;
  return TRUE;
}

extern "C" BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  lpFrequency->QuadPart = static_cast<LONGLONG>(kNanosecondsPerSecond);
  return TRUE;
}

extern "C" DWORD GetTickCount() {
  const timespec now = Now(CLOCK_MONOTONIC);
  return static_cast<DWORD>(static_cast<ULONGLONG>(now.tv_sec) * 1000 +
                            static_cast<ULONGLONG>(now.tv_nsec) / 1000000);
}

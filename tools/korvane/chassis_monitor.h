// One chassis as `korvane serve` watches it: readings made on demand, at most
// one per minimum interval (a burst of scrapes is answered from the last
// reading), with the outcome of each reading kept for the exporter's pages.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "tools/korvane/commands.h"
#include "tools/korvane/health.h"

namespace korvane::cli {

// The last reading of a chassis and what the exporter knows about its history.
struct ChassisSample {
  std::string label;     // the chassis label of every metric: --name, else the serial number
  std::string resource;  // the resource or logical name the sessions are opened with
  // The reading, absent when no session could be opened (then error says why).
  std::optional<HealthReport> report;
  std::string error;
  double readingTime = 0;  // Unix seconds at the end of the last reading, 0 before the first
  std::optional<double> readingSeconds;  // how long the last reading took, when measured
  uint64_t readErrors = 0;  // failed readings and failed values since the exporter started
  size_t failedValues = 0;  // values that failed in the last reading
};

// Reads the health of a chassis in a session of its own; throws DriverError
// when the session cannot be opened.
using HealthReader = std::function<HealthReport(const Target&)>;

// The reader of the real program: opens a session, reads, closes it again.
HealthReport ReadInSession(const Target& target);

class ChassisMonitor {
 public:
  using Clock = std::chrono::steady_clock;

  // name is the label to use; empty: the serial number once one was read,
  // the resource until then.
  ChassisMonitor(Target target, std::string name, Clock::duration minInterval,
                 HealthReader reader = ReadInSession);

  // The reading of the chassis, made now unless the last one is more recent
  // than the minimum interval. Callers on other threads wait for a reading
  // in progress and share it.
  ChassisSample Current();

  ChassisMonitor(const ChassisMonitor&) = delete;
  ChassisMonitor& operator=(const ChassisMonitor&) = delete;

 private:
  void Read();

  const Target target_;
  const std::string name_;
  const Clock::duration minInterval_;
  const HealthReader reader_;
  std::mutex mutex_;
  std::optional<Clock::time_point> lastReading_;
  std::string serial_;  // the serial number last read, the default label
  ChassisSample sample_;
};

}  // namespace korvane::cli

#include "tools/korvane/chassis_monitor.h"

#include <utility>

namespace korvane::cli {
namespace {

double UnixSeconds(std::chrono::system_clock::time_point when) {
  return std::chrono::duration<double>(when.time_since_epoch()).count();
}

}  // namespace

HealthReport ReadInSession(const Target& target) {
  auto chassis = OpenChassis(target.request);
  HealthReport report = ReadHealth(*chassis, target.request.resource, target.simulated);
  chassis->Close();
  return report;
}

ChassisMonitor::ChassisMonitor(Target target, std::string name, Clock::duration minInterval,
                               HealthReader reader)
    : target_(std::move(target)),
      name_(std::move(name)),
      minInterval_(minInterval),
      reader_(std::move(reader)) {
  sample_.resource = target_.request.resource;
  sample_.label = name_.empty() ? sample_.resource : name_;
}

ChassisSample ChassisMonitor::Current() {
  std::lock_guard lock(mutex_);
  if (!lastReading_ || Clock::now() - *lastReading_ >= minInterval_) Read();
  return sample_;
}

void ChassisMonitor::Read() {
  const auto start = Clock::now();
  try {
    sample_.report = reader_(target_);
    sample_.error.clear();
    const auto failures = Failures(*sample_.report);
    sample_.failedValues = failures.size();
    sample_.readErrors += failures.size();
    if (const auto* serial = sample_.report->serial.get(); serial && !serial->empty())
      serial_ = *serial;
  } catch (const DriverError& error) {
    sample_.report.reset();
    sample_.error = Describe(error);
    sample_.failedValues = 0;
    ++sample_.readErrors;
  }
  const auto end = Clock::now();
  lastReading_ = end;
  sample_.readingTime = UnixSeconds(std::chrono::system_clock::now());
  sample_.readingSeconds = std::chrono::duration<double>(end - start).count();
  if (name_.empty() && !serial_.empty()) sample_.label = serial_;
}

}  // namespace korvane::cli

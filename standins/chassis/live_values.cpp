#include "standins/chassis/live_values.h"

#include <algorithm>
#include <cmath>

namespace korvane::virtual_chassis {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr std::array<double, kSensorCount> kSensorBase{28.0, 31.5, 35.0, 38.5,
                                                       41.0, 33.0, 29.5, 36.5};
constexpr double kSensorSwing = 0.6;     // degrees C either way
constexpr double kSensorPeriod = 240.0;  // seconds
constexpr std::array<int32_t, kFanCount> kFanOffset{-35, 0, 45};
constexpr double kFanJitter = 15.0;  // rpm either way
constexpr double kFanSlowest = 2000.0;
constexpr double kFanFastest = 4000.0;
constexpr double kFanRampDegrees = 30.0;  // the fans start speeding up this far below the setpoint
constexpr std::array<double, kRails> kRailNominal{5.0, 3.3, -12.0, 12.0};
constexpr double kRailRipple = 0.002;  // relative, either way
constexpr double kRailPeriod = 90.0;   // seconds

// Rounds to the nearest 1/steps_per_unit; dividing by an exact count keeps 28.4 exactly 28.4.
double Quantise(double value, double steps_per_unit) {
  return std::round(value * steps_per_unit) / steps_per_unit;
}

}  // namespace

ChassisClock::ChassisClock() : start_(Clock::now()) {}

double ChassisClock::Seconds() const {
  if (frozen_at_) return *frozen_at_;
  return std::chrono::duration<double>(Clock::now() - start_).count();
}

void ChassisClock::SetFrozen(bool frozen) {
  if (frozen == frozen_at_.has_value()) return;
  if (frozen) {
    frozen_at_ = Seconds();
  } else {
    // Go on from the frozen reading: move the start so that no time seems to have passed.
    start_ = Clock::now() - std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(*frozen_at_));
    frozen_at_.reset();
  }
}

double LiveValues::Temperature(uint32_t position) const {
  if (const auto& pinned = pinned_temperature_.at(position)) return *pinned;
  const double phase = kTwoPi * clock_.Seconds() / kSensorPeriod + position;
  return Quantise(kSensorBase[position] + kSensorSwing * std::sin(phase), 10.0);
}

uint32_t LiveValues::FanSpeed(uint32_t position, double hottest, uint32_t setpoint,
                              bool auto_control) const {
  if (const auto& pinned = pinned_fan_speed_.at(position)) return *pinned;
  double share = 1.0;
  if (auto_control) {
    const double ramp_start = static_cast<double>(setpoint) - kFanRampDegrees;
    share = std::clamp((hottest - ramp_start) / kFanRampDegrees, 0.0, 1.0);
  }
  const double jitter = kFanJitter * std::sin(clock_.Seconds() / 7.0 + position);
  const double rpm =
      kFanSlowest + share * (kFanFastest - kFanSlowest) + kFanOffset[position] + jitter;
  return static_cast<uint32_t>(std::lround(rpm));
}

double LiveValues::RailVoltage(uint32_t rail) const {
  if (const auto& pinned = pinned_voltage_.at(rail)) return *pinned;
  const double phase = kTwoPi * clock_.Seconds() / kRailPeriod + rail;
  return Quantise(kRailNominal.at(rail) * (1.0 + kRailRipple * std::sin(phase)), 1000.0);
}

uint32_t LiveValues::Uptime() const {
  return static_cast<uint32_t>(boot_offset_ + clock_.Seconds());
}

void LiveValues::SetUptime(uint32_t seconds) {
  boot_offset_ = seconds - std::floor(clock_.Seconds());
}

double LiveValues::Nominal(uint32_t rail) {
  return kRailNominal.at(rail);
}

}  // namespace korvane::virtual_chassis

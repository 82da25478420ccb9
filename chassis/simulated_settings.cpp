#include "chassis/simulated_settings.h"

namespace korvane {
namespace {
// Rail order: +5 V, +3.3 V, -12 V, +12 V. The -12 V rail's high threshold is
// the more negative one.
constexpr std::array<double, SimulatedChassisSettings::kRails> kRailHighDefaults{5.25, 3.465, -12.6,
                                                                                 12.6};
constexpr std::array<double, SimulatedChassisSettings::kRails> kRailLowDefaults{4.75, 3.135, -11.4,
                                                                                11.4};
}  // namespace

void SimulatedChassisSettings::Reset() {
  std::lock_guard lock(mutex_);
  routing_.fill(KorvaneTrigBusIsolateAll);
  fanUnderspeedThreshold_ = 800;
  overTemperatureThreshold_ = 70;
  fullFanSpeedTemperature_ = 50;
  railHigh_ = kRailHighDefaults;
  railLow_ = kRailLowDefaults;
}

KorvaneTrigBusEnum SimulatedChassisSettings::Routing(int line) const {
  std::lock_guard lock(mutex_);
  return routing_.at(line);
}

void SimulatedChassisSettings::SetRouting(int line, KorvaneTrigBusEnum routing) {
  std::lock_guard lock(mutex_);
  routing_.at(line) = routing;
}

void SimulatedChassisSettings::IsolateAllLines() {
  std::lock_guard lock(mutex_);
  routing_.fill(KorvaneTrigBusIsolateAll);
}

int32_t SimulatedChassisSettings::FanUnderspeedThreshold() const {
  std::lock_guard lock(mutex_);
  return fanUnderspeedThreshold_;
}

void SimulatedChassisSettings::SetFanUnderspeedThreshold(int32_t rpm) {
  std::lock_guard lock(mutex_);
  fanUnderspeedThreshold_ = rpm;
}

int32_t SimulatedChassisSettings::OverTemperatureThreshold() const {
  std::lock_guard lock(mutex_);
  return overTemperatureThreshold_;
}

void SimulatedChassisSettings::SetOverTemperatureThreshold(int32_t degrees) {
  std::lock_guard lock(mutex_);
  overTemperatureThreshold_ = degrees;
}

int32_t SimulatedChassisSettings::FullFanSpeedTemperature() const {
  std::lock_guard lock(mutex_);
  return fullFanSpeedTemperature_;
}

void SimulatedChassisSettings::SetFullFanSpeedTemperature(int32_t degrees) {
  std::lock_guard lock(mutex_);
  fullFanSpeedTemperature_ = degrees;
}

double SimulatedChassisSettings::RailThreshold(int rail, bool low) const {
  std::lock_guard lock(mutex_);
  return low ? railLow_.at(rail) : railHigh_.at(rail);
}

void SimulatedChassisSettings::SetRailThreshold(int rail, bool low, double volts) {
  std::lock_guard lock(mutex_);
  (low ? railLow_ : railHigh_).at(rail) = volts;
}

}  // namespace korvane

#pragma once
// The simulated chassis settings: the values that stand in for the chassis
// while the driver simulates. Driver members use them under the driver's
// lock; rail items use the rail thresholds under their own lock only, so the
// settings guard themselves.

#include <array>
#include <cstdint>
#include <mutex>

#include "com/interfaces.h"

namespace korvane {

class SimulatedChassisSettings {
 public:
  static constexpr int kTriggerLines = 8;
  static constexpr int kRails = 4;  // indexed by the chassis library's rail number

  SimulatedChassisSettings() { Reset(); }

  // Every field back to its default (ResetSimulatedChassisSettings).
  void Reset();

  KorvaneTrigBusEnum Routing(int line) const;
  void SetRouting(int line, KorvaneTrigBusEnum routing);
  void IsolateAllLines();

  int32_t FanUnderspeedThreshold() const;
  void SetFanUnderspeedThreshold(int32_t rpm);
  int32_t OverTemperatureThreshold() const;
  void SetOverTemperatureThreshold(int32_t degrees);
  int32_t FullFanSpeedTemperature() const;
  void SetFullFanSpeedTemperature(int32_t degrees);

  // side: true for the low threshold, false for the high one.
  double RailThreshold(int rail, bool low) const;
  void SetRailThreshold(int rail, bool low, double volts);

 private:
  mutable std::mutex mutex_;
  std::array<KorvaneTrigBusEnum, kTriggerLines> routing_{};
  int32_t fanUnderspeedThreshold_ = 0;
  int32_t overTemperatureThreshold_ = 0;
  int32_t fullFanSpeedTemperature_ = 0;
  std::array<double, kRails> railHigh_{};
  std::array<double, kRails> railLow_{};
};

}  // namespace korvane

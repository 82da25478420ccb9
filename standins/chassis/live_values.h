// Live readings of the virtual chassis: temperatures, fan speeds, rail
// voltages and the uptime, which drift with the chassis's clock unless a test
// has pinned them.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "standins/chassis/virtual_chassis.h"

namespace korvane::virtual_chassis {

inline constexpr uint32_t kRails = 4;

// Seconds since the chassis was set up; can be stopped for deterministic tests.
class ChassisClock {
 public:
  ChassisClock();
  double Seconds() const;
  void SetFrozen(bool frozen);

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point start_;
  std::optional<double> frozen_at_;
};

class LiveValues {
 public:
  // Degrees C of sensor position 0..kSensorCount-1, quantised to 0.1 C unless pinned.
  double Temperature(uint32_t position) const;
  // Rpm of fan position 0..kFanCount-1. The fans speed up from 2000 towards 4000 rpm as the
  // hottest sensor approaches the thermostat setpoint; without auto control they run flat out.
  uint32_t FanSpeed(uint32_t position, double hottest, uint32_t setpoint, bool auto_control) const;
  // Volts of rail 0..kRails-1, within 0.2 % of its nominal and quantised to 1 mV unless pinned.
  double RailVoltage(uint32_t rail) const;
  uint32_t Uptime() const;

  void PinTemperature(uint32_t position, double degrees) {
    pinned_temperature_.at(position) = degrees;
  }
  void PinFanSpeed(uint32_t position, uint32_t rpm) { pinned_fan_speed_.at(position) = rpm; }
  void PinRailVoltage(uint32_t rail, double volts) { pinned_voltage_.at(rail) = volts; }
  void SetUptime(uint32_t seconds);
  void SetClockFrozen(bool frozen) { clock_.SetFrozen(frozen); }

  // Nominal volts of a rail, indexed like Korvane_Fundamental_VoltageRail.
  static double Nominal(uint32_t rail);

 private:
  ChassisClock clock_;
  double boot_offset_ = 4321.0;  // uptime when the clock read 0
  std::array<std::optional<double>, kSensorCount> pinned_temperature_{};
  std::array<std::optional<uint32_t>, kFanCount> pinned_fan_speed_{};
  std::array<std::optional<double>, kRails> pinned_voltage_{};
};

}  // namespace korvane::virtual_chassis

// Test fixture: a freshly reset virtual chassis and one access object with an
// open session on it, the call record emptied.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "chassis/korvane_fundamental_api.h"
#include "standins/chassis/virtual_chassis.h"

namespace korvane::virtual_chassis {

inline constexpr int32_t kInvalidValue = Korvane_Fundamental_StatusInvalidValue;
inline constexpr int32_t kThresholdRefused = Korvane_Fundamental_StatusThresholdRefused;
inline constexpr int32_t kSessionNotOpen = Korvane_Fundamental_StatusSessionNotOpen;

class OpenChassis : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(api_.ioOpen("PXI0::0::INSTR", nullptr), 0);
    ClearCalls();
  }

  ScopedReset reset_;  // constructed before the access object and destroyed after it
  Korvane_Fundamental_Api api_;
};

}  // namespace korvane::virtual_chassis

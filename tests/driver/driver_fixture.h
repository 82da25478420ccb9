#pragma once
// What the driver tests share: a driver object created through its class
// object, as a client creates it, on a freshly reset virtual chassis.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/identifiers.h"
#include "com/interfaces.h"
#include "com/module.h"
#include "standins/chassis/virtual_chassis.h"
#include "platform/com_ptr.h"
#include "platform/ole_string.h"
#include "platform/scoped_bstr.h"
#include "platform/win32.h"
#include "tests/support/error_info.h"

namespace korvane::testing {

// A driver created through DllGetClassObject's class factory.
ComPtr<IIviDriver> CreateDriver();

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HRESULT Initialize(const OLECHAR* resource, bool idQuery, bool reset, const OLECHAR* options);
  HRESULT InitializeSimulated() {
    return Initialize(OLESTR(""), false, false, OLESTR("Simulate=true"));
  }
  HRESULT InitializeHardware(const OLECHAR* options = OLESTR("")) {
    return Initialize(OLESTR("PXI0::0::INSTR"), false, false, options);
  }
  bool Initialized();

  ComPtr<IIviDriver> driver_;
  virtual_chassis::ScopedReset chassis_;
  bool comEntered_ = false;
};

// The call record of the virtual chassis, by operation name only.
std::vector<std::string> ChassisOperations();

}  // namespace korvane::testing

// Two threads calling one driver object: members never overlap, and each
// thread sees only its own error information.

#include "driver_fixture.h"
#include "tests/support/com_thread.h"

namespace korvane::testing {
namespace {

namespace vc = virtual_chassis;

TEST_F(DriverTest, MembersOfOneObjectNeverOverlap) {
  // Initialize and Close each make a run of chassis calls that starts with the
  // construction and ends with the destruction of the chassis access object.
  // Under the object's lock the runs of two threads never interleave.
  constexpr int kRounds = 40;
  auto cycle = [this] {
    for (int i = 0; i < kRounds; ++i) {
      ScopedBstr resource(OLESTR("PXI0::0::INSTR"));
      ScopedBstr options(OLESTR(""));
      if (driver_->Initialize(resource.Get(), VARIANT_TRUE, VARIANT_TRUE, options.Get()) == S_OK) {
        EXPECT_EQ(S_OK, driver_->Close());
      }
    }
  };
  vc::ClearCalls();
  {
    ComThread first(cycle);
    ComThread second(cycle);
  }
  int open = 0;
  for (const std::string& name : ChassisOperations()) {
    if (name == "Korvane_Fundamental_Api") {
      EXPECT_EQ(1, ++open) << "two sessions overlapped";
    }
    if (name == "~Korvane_Fundamental_Api") --open;
  }
  EXPECT_EQ(0, open);
}

TEST_F(DriverTest, EachThreadSeesOnlyItsOwnErrorInformation) {
  constexpr int kRounds = 200;
  const OleString invalidValue =
      OLESTR("Korvane: Invalid value (0) for method Initialize, parameter ResourceName.");
  const OleString notInitialized =
      OLESTR("Korvane: A connection to the instrument has not been established.");
  ComThread initializer([&] {
    ScopedBstr options(OLESTR(""));
    for (int i = 0; i < kRounds; ++i) {
      driver_->Initialize(nullptr, VARIANT_FALSE, VARIANT_FALSE, options.Get());
      EXPECT_EQ(invalidValue, TakeErrorInfo().description);
    }
  });
  ComThread closer([&] {
    for (int i = 0; i < kRounds; ++i) {
      driver_->Close();
      EXPECT_EQ(notInitialized, TakeErrorInfo().description);
    }
  });
}

}  // namespace
}  // namespace korvane::testing

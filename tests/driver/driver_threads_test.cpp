// Two threads calling one driver object: each sees only its own error
// information. (That one object runs one call at a time is proven in
// chassis_faces, EntryPointTest.)

#include "driver_fixture.h"
#include "tests/support/com_thread.h"

namespace korvane::testing {
namespace {

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

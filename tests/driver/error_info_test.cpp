// The error information a failing entry point leaves on the calling thread:
// interface id, source, description, help file and context; and that the
// next successful call clears it.

#include "driver_fixture.h"

namespace korvane::testing {
namespace {

namespace vc = virtual_chassis;

// Registers the driver's ProgID for its class, as registration would, so
// that reports carry it as their source.
class RegisteredProgIdTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    const OleString key = OLESTR("CLSID\\") + AnsiToOle(kClsidKorvaneText) + OLESTR("\\ProgID");
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &handle, nullptr));
    const OLECHAR progId[] = OLESTR("Korvane.Korvane.1");
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(handle, nullptr, 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(progId), sizeof progId));
    RegCloseKey(handle);
  }
};

TEST_F(RegisteredProgIdTest, DriverSpecificErrorCarriesHelpFileAndContext) {
  const int32_t fault = static_cast<int32_t>(0xBFFA000Au);
  vc::SetStatusDescription(fault, Korvane_Fundamental_StatusTypeChassis, "Controller fault");
  vc::InjectResult(vc::Operation::kReset, fault);
  EXPECT_EQ(static_cast<HRESULT>(0x80044002),
            Initialize(OLESTR("PXI0::0::INSTR"), false, true, OLESTR("")));
  ErrorRecord error = TakeErrorInfo();
  ASSERT_TRUE(error.present);
  EXPECT_TRUE(IsEqualGUID(IID_IIviDriver, error.interfaceId));
  EXPECT_EQ(OLESTR("Korvane.Korvane.1"), error.source);
  EXPECT_EQ(OLESTR("Korvane.chm"), error.helpFile);
  EXPECT_EQ(3u, error.helpContext);
}

TEST_F(DriverTest, TheNextSuccessfulCallClearsTheErrorInformation) {
  EXPECT_EQ(static_cast<HRESULT>(0x8004701D), driver_->Close());
  VARIANT_BOOL initialized = VARIANT_TRUE;
  EXPECT_EQ(S_OK, driver_->get_Initialized(&initialized));
  EXPECT_EQ(VARIANT_FALSE, initialized);
  EXPECT_FALSE(TakeErrorInfo().present);
}

}  // namespace
}  // namespace korvane::testing

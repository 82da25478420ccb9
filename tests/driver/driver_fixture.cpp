#include "driver_fixture.h"

namespace korvane::testing {

ComPtr<IIviDriver> CreateDriver() {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(S_OK, GetClassObject(kClsidKorvane, IID_IClassFactory, factory.GetVoidAddressOf()));
  ComPtr<IIviDriver> driver;
  EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IIviDriver, driver.GetVoidAddressOf()));
  return driver;
}

void DriverTest::SetUp() {
  comEntered_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  driver_ = CreateDriver();
  ASSERT_TRUE(driver_);
}

void DriverTest::TearDown() {
  driver_.Reset();
  if (comEntered_) CoUninitialize();
}

HRESULT DriverTest::Initialize(const OLECHAR* resource, bool idQuery, bool reset,
                               const OLECHAR* options) {
  ScopedBstr resourceText(resource);
  ScopedBstr optionText(options);
  return driver_->Initialize(resourceText.Get(), idQuery ? VARIANT_TRUE : VARIANT_FALSE,
                             reset ? VARIANT_TRUE : VARIANT_FALSE, optionText.Get());
}

bool DriverTest::Initialized() {
  VARIANT_BOOL value = VARIANT_FALSE;
  EXPECT_EQ(S_OK, driver_->get_Initialized(&value));
  return value == VARIANT_TRUE;
}

std::vector<std::string> ChassisOperations() {
  std::vector<std::string> names;
  for (const std::string& call : virtual_chassis::Calls())
    names.push_back(call.substr(0, call.find('(')));
  return names;
}

}  // namespace korvane::testing

#include "config_store_fixture.h"

#include <ostream>

#include "standins/ivi_config/in_process_registration.h"
#include "standins/ivi_config/store_locations.h"

namespace korvane {

void PrintTo(const OperationFlags& flags, std::ostream* out) {
  *out << "{cache " << flags.cache << ", interchangeCheck " << flags.interchangeCheck
       << ", queryInstrumentStatus " << flags.queryInstrumentStatus << ", rangeCheck "
       << flags.rangeCheck << ", recordCoercions " << flags.recordCoercions << ", simulate "
       << flags.simulate << "}";
}

}  // namespace korvane

namespace korvane::testing {

void ConfigStoreTest::SetUp() {
  DriverTest::SetUp();
  ASSERT_EQ(S_OK, ivi_config::RegisterConfigStoreClass(&cookie_));
  registered_ = true;
}

void ConfigStoreTest::TearDown() {
  processDefault_.reset();
  RemoveConfigServer();
  DriverTest::TearDown();
}

void ConfigStoreTest::UseStore(std::string_view text) {
  folder_.Write("store.ini", text);
  SetProcessDefaultLocation(folder_.File("store.ini"));
}

void ConfigStoreTest::UseMissingStore() {
  SetProcessDefaultLocation(folder_.File("missing.ini"));
}

void ConfigStoreTest::RemoveConfigServer() {
  if (!registered_) return;
  EXPECT_EQ(S_OK, ivi_config::RevokeConfigStoreClass(cookie_));
  registered_ = false;
}

void ConfigStoreTest::SetProcessDefaultLocation(const OleString& file) {
  if (processDefault_) return processDefault_->Set(file);
  processDefault_ = std::make_unique<ScopedEnvironment>(ivi_config::kProcessDefaultVariable, file);
}

Korvane& ConfigStoreTest::Object() {
  ComPtr<IKorvane> face;
  EXPECT_EQ(S_OK, driver_->QueryInterface(IidOf<IKorvane>(), face.GetVoidAddressOf()));
  return *static_cast<Korvane*>(face.Get());
}

ComPtr<IIviDriverOperation> ConfigStoreTest::Operation() {
  ComPtr<IIviDriverOperation> operation;
  EXPECT_EQ(S_OK,
            driver_->QueryInterface(IidOf<IIviDriverOperation>(), operation.GetVoidAddressOf()));
  return operation;
}

std::string IoOpenCall() {
  for (const std::string& call : virtual_chassis::Calls()) {
    if (call.rfind("ioOpen(", 0) == 0) return call;
  }
  return "";
}

}  // namespace korvane::testing

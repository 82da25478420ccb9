#include "config_store_fixture.h"

#include <fstream>
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
namespace {

OleString ToOle(const std::filesystem::path& path) {
  const std::u16string text = path.u16string();
  return OleString(text.begin(), text.end());
}

const OleString& ProcessDefaultVariable() {
  static const OleString name = AnsiToOle(ivi_config::kProcessDefaultVariable);
  return name;
}

}  // namespace

void ConfigStoreTest::SetUp() {
  DriverTest::SetUp();
  ASSERT_EQ(S_OK, ivi_config::RegisterConfigStoreClass(&cookie_));
  registered_ = true;
  // One folder per process and test: test programs of several builds may run
  // at the same time.
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::temp_directory_path() /
            ("korvane_driver_config_" + std::to_string(GetCurrentProcessId()) + "_" +
             test->test_suite_name() + "_" + test->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
}

void ConfigStoreTest::TearDown() {
  SetEnvironmentVariableW(ProcessDefaultVariable().c_str(), nullptr);
  RemoveConfigServer();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
  DriverTest::TearDown();
}

void ConfigStoreTest::UseStore(std::string_view text) {
  const std::filesystem::path file = folder_ / "store.ini";
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
  SetProcessDefaultLocation(file);
}

void ConfigStoreTest::UseMissingStore() {
  SetProcessDefaultLocation(folder_ / "missing.ini");
}

void ConfigStoreTest::RemoveConfigServer() {
  if (!registered_) return;
  EXPECT_EQ(S_OK, ivi_config::RevokeConfigStoreClass(cookie_));
  registered_ = false;
}

void ConfigStoreTest::SetProcessDefaultLocation(const std::filesystem::path& file) {
  ASSERT_TRUE(SetEnvironmentVariableW(ProcessDefaultVariable().c_str(), ToOle(file).c_str()));
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

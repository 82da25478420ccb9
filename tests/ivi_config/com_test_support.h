// Helpers of the configuration server tests: COM for the test thread, owned BSTRs, store files in
// a temporary folder and the process-default location.
#ifndef KORVANE_TESTS_IVI_CONFIG_COM_TEST_SUPPORT_H
#define KORVANE_TESTS_IVI_CONFIG_COM_TEST_SUPPORT_H

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "standins/ivi_config/com_ref.h"
#include "standins/ivi_config/com_text.h"
#include "standins/ivi_config/environment.h"
#include "standins/ivi_config/ivi_config_server.h"
#include "standins/ivi_config/store_locations.h"

// A BSTR owned by the test, freed at its end.
class OwnedBstr {
 public:
  OwnedBstr() = default;
  explicit OwnedBstr(std::string_view utf8) {
    const OleString wide = korvane::ivi_config::Utf8ToOle(utf8);
    text_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  }
  OwnedBstr(const OwnedBstr&) = delete;  // one free per allocation
  OwnedBstr& operator=(const OwnedBstr&) = delete;
  ~OwnedBstr() { SysFreeString(text_); }

  BSTR* Put() {
    SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }
  BSTR get() const { return text_; }
  std::string Utf8() const { return korvane::ivi_config::OleToUtf8(BstrView(text_)); }

 private:
  BSTR text_ = nullptr;
};

// Reads a BSTR property: Utf8Of([&](BSTR* out) { return object->get_Name(out); }).
template <class Getter>
std::string Utf8Of(Getter getter) {
  OwnedBstr text;
  EXPECT_EQ(getter(text.Put()), S_OK);
  return text.Utf8();
}

// The description of the calling thread's COM error object, taken and cleared; empty if none.
inline std::string TakeErrorDescription() {
  ComRef<IErrorInfo> error;
  if (GetErrorInfo(0, error.Put()) != S_OK || !error) return {};
  OwnedBstr description;
  error->GetDescription(description.Put());
  return description.Utf8();
}

inline OleString ToOle(const std::filesystem::path& path) {
  const std::u16string wide = path.u16string();
  return OleString(wide.begin(), wide.end());
}

// A folder of store files, removed with everything in it at the end of the test.
class StoreFolder {
 public:
  StoreFolder() {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("korvane_ivi_config_" + std::string(test->test_suite_name()) + "_" + test->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  StoreFolder(const StoreFolder&) = delete;  // one removal per folder
  StoreFolder& operator=(const StoreFolder&) = delete;
  ~StoreFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // Writes a file and returns its full path.
  std::filesystem::path Write(const std::string& name, std::string_view text) const {
    const auto path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  const std::filesystem::path& path() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

// Sets KORVANE_IVI_CONFIG for the test and removes it at its end.
class ProcessDefaultLocation {
 public:
  explicit ProcessDefaultLocation(const std::filesystem::path& file) {
    EXPECT_TRUE(korvane::ivi_config::WriteEnvironment(korvane::ivi_config::kProcessDefaultVariable,
                                                      ToOle(file).c_str()));
  }
  ProcessDefaultLocation(const ProcessDefaultLocation&) = delete;  // one removal
  ProcessDefaultLocation& operator=(const ProcessDefaultLocation&) = delete;
  ~ProcessDefaultLocation() {
    korvane::ivi_config::WriteEnvironment(korvane::ivi_config::kProcessDefaultVariable, nullptr);
  }
};

// Enters the test program's main thread into COM (multithreaded apartment) for all tests.
class ComEnvironment : public testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

#endif  // KORVANE_TESTS_IVI_CONFIG_COM_TEST_SUPPORT_H

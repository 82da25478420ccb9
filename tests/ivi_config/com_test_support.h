// What the configuration server tests add to the shared test support: BSTRs
// of UTF-8 texts, and the process-default store location set for a test.
#ifndef KORVANE_TESTS_IVI_CONFIG_COM_TEST_SUPPORT_H
#define KORVANE_TESTS_IVI_CONFIG_COM_TEST_SUPPORT_H

#include <filesystem>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "platform/com_ptr.h"
#include "platform/scoped_bstr.h"
#include "standins/ivi_config/ivi_config_server.h"
#include "standins/ivi_config/store_locations.h"
#include "tests/support/com_thread.h"
#include "tests/support/environment.h"
#include "tests/support/error_info.h"
#include "tests/support/temp_folder.h"
#include "tests/support/text.h"

using korvane::ComPtr;
using korvane::ScopedBstr;
using korvane::testing::ComEnvironment;
using korvane::testing::TakeErrorDescription;
using korvane::testing::TempFolder;

// A BSTR of a UTF-8 text.
inline ScopedBstr Bstr(std::string_view utf8) {
  const OleString wide = korvane::testing::Utf16(utf8);
  return ScopedBstr(wide.data(), static_cast<UINT>(wide.size()));
}

// Reads a BSTR property as UTF-8: Utf8Of([&](BSTR* out) { return object->get_Name(out); }).
template <class Getter>
std::string Utf8Of(Getter getter) {
  ScopedBstr text;
  EXPECT_EQ(getter(text.Receive()), S_OK);
  return korvane::testing::Utf8(BstrView(text.Get()));
}

inline OleString ToOle(const std::filesystem::path& path) {
  const std::u16string wide = path.u16string();
  return OleString(wide.begin(), wide.end());
}

// Names `file` as the process-default store location for the test.
class ProcessDefaultLocation : public korvane::testing::ScopedEnvironment {
 public:
  explicit ProcessDefaultLocation(const std::filesystem::path& file)
      : ScopedEnvironment(korvane::ivi_config::kProcessDefaultVariable, ToOle(file)) {}
};

#endif  // KORVANE_TESTS_IVI_CONFIG_COM_TEST_SUPPORT_H

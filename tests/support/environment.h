#pragma once
// An environment variable of the test process, set for the life of the object
// and afterwards restored to what it was, or removed if it was not set (such
// as the store's process-default location).

#include <optional>
#include <string_view>

#include "platform/ole_string.h"

namespace korvane::testing {

class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string_view name, const OleString& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;  // one removal
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  // Sets another value.
  void Set(const OleString& value);

 private:
  OleString name_;
  std::optional<OleString> before_;
};

}  // namespace korvane::testing

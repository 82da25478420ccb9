#include "tests/support/environment.h"

#include <gtest/gtest.h>

namespace korvane::testing {

ScopedEnvironment::ScopedEnvironment(std::string_view name, const OleString& value)
    : name_(AnsiToOle(name)) {
  Set(value);
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableW(name_.c_str(), nullptr);
}

void ScopedEnvironment::Set(const OleString& value) {
  EXPECT_TRUE(SetEnvironmentVariableW(name_.c_str(), value.c_str()));
}

}  // namespace korvane::testing

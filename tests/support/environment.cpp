#include "tests/support/environment.h"

#include <gtest/gtest.h>

namespace korvane::testing {

namespace {

std::optional<OleString> Read(const OleString& name) {
  const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  if (size == 0)
    return std::nullopt;  // not set (an empty value reads the same, and is restored so)
  OleString value(size, OLECHAR{});
  value.resize(GetEnvironmentVariableW(name.c_str(), value.data(), size));
  return value;
}

}  // namespace

ScopedEnvironment::ScopedEnvironment(std::string_view name, const OleString& value)
    : name_(AnsiToOle(name)), before_(Read(name_)) {
  Set(value);
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableW(name_.c_str(), before_ ? before_->c_str() : nullptr);
}

void ScopedEnvironment::Set(const OleString& value) {
  EXPECT_TRUE(SetEnvironmentVariableW(name_.c_str(), value.c_str()));
}

}  // namespace korvane::testing

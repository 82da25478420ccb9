#pragma once
// The name -> value tables of a session: the option table, the DriverSetup
// table, the configurable initial settings and the virtual names.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string_view>
#include <variant>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

// Keys are compared exactly as stored; the tables that look names up without
// regard to letter case store their keys through LowerCaseKey. The ordering is
// ordinal, so iterating a table is deterministic on every system.
template <typename Value>
using NameTable = std::map<OleString, Value, std::less<>>;

// The option table and the DriverSetup table: name -> value text.
using NameValueTable = NameTable<OleString>;

// The value of a configurable initial setting, as typed in the configuration
// store: Boolean, Integer, Real or String.
using InitialSettingValue = std::variant<bool, int32_t, double, OleString>;
// The configurable initial settings: lower-case name -> typed value.
using InitialSettingsTable = NameTable<InitialSettingValue>;

// A key folded to lower case. Only A to Z are folded: every name the driver
// recognizes is plain ASCII, and the result is then the same on every system
// whatever its locale.
inline OleString LowerCaseKey(std::basic_string_view<OLECHAR> name) {
  OleString key(name);
  std::transform(key.begin(), key.end(), key.begin(), [](OLECHAR c) {
    return (c >= OLECHAR('A') && c <= OLECHAR('Z')) ? OLECHAR(c - 'A' + 'a') : c;
  });
  return key;
}

}  // namespace korvane

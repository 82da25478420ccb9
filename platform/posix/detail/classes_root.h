// Reading the class keys below HKEY_CLASSES_ROOT.
#pragma once

#include <string>

namespace korvane::platform {

// The default value (a string) of a key below HKEY_CLASSES_ROOT.
bool ReadClassesRootString(const std::u16string& path, std::u16string* value);

}  // namespace korvane::platform

// The registry file's text form. One section per key, parents first:
//
//   [HKEY_LOCAL_MACHINE\Software\Classes\Korvane.Korvane]
//   @="Korvane Class"
//   "ThreadingModel"="Both"
//   "Count"=dword:00000001
//   "Path"=expand:"%IVIROOTDIR%\\Components"
//   "Blob"=hex(3):01,02,ff
//
// Text is UTF-8. Quoted names and strings escape \ " and control characters
// (\\ \" \n \r \t \xHH); key names escape '%' and control characters as %HH.
// A string value is written quoted only when its data is exactly a
// terminated UTF-16 string; anything else is written as hex(type) bytes.
#pragma once

#include <string>
#include <string_view>

#include "platform/posix/detail/registry_tree.h"

namespace korvane::platform {

std::string SerializeRegistry(const RegistryTree& tree);

// Lines that cannot be read are skipped.
void ParseRegistry(std::string_view text, RegistryTree* tree);

}  // namespace korvane::platform

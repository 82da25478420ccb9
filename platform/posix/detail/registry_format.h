// The registry file's text form. The first line names the format and its
// version; then one section per key, parents first:
//
//   KORVANE REGISTRY 1
//
//   [HKEY_LOCAL_MACHINE\Software\Classes\Korvane.Korvane]
//   @="Korvane Class"
//   "ThreadingModel"="Both"
//   "Count"=dword:00000001
//   "Path"=expand:"%IVIROOTDIR%\\Components"
//   "Blob"=hex(3):01,02,ff
//
// Text is UTF-8; an unpaired surrogate of a name or string is written as the
// three bytes UTF-8 would give its code point, escaped. Quoted names and
// strings escape \ " control characters and those bytes (\\ \" \n \r \t
// \xHH); key names escape '%', '\', control characters and those bytes as
// %HH. A string value is written quoted only when its data is exactly one
// terminated UTF-16 string; anything else is written as hex(type) bytes.
#pragma once

#include <string>
#include <string_view>

#include "platform/posix/detail/registry_tree.h"

namespace korvane::platform {

std::string SerializeRegistry(const RegistryTree& tree);

// Reads the whole text into *tree: ERROR_SUCCESS, or ERROR_BADDB when the
// header or any line cannot be read exactly (a line is never skipped, so that
// a later save cannot drop it) or a key or name breaks Windows's limits.
// Empty text is an empty registry.
LONG ParseRegistry(std::string_view text, RegistryTree* tree);

}  // namespace korvane::platform

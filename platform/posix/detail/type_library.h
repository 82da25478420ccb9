// Type libraries read from bytes in memory, as LoadTypeLib reads them from a
// file once the file is read.
#pragma once

#include <vector>

#include "platform/win32.h"

namespace korvane::platform {

// TYPE_E_CANTLOADLIBRARY for bytes that are not a well-formed type library.
HRESULT LoadTypeLibFromBytes(std::vector<unsigned char> bytes, ITypeLib** library);

}  // namespace korvane::platform

#pragma once
// The driver module itself: its handle, its file and its resources (the type
// library, TYPELIB 1, and the registry scripts, REGISTRY 101 to 106).

#include <string_view>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

// The module this code is linked into.
HMODULE ModuleHandle();

// Keeps the module loaded until the process ends, whatever FreeLibrary calls
// follow.
HRESULT PinModule();

// The module's full file name; a name of MAX_PATH (260) characters or more
// fails with HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), 0x8007007A.
HRESULT ModuleFileName(OleString& file);

// The bytes of the module's resource `id` of type `type`, kept as long as
// the module is loaded.
HRESULT ModuleResourceText(int id, LPCWSTR type, std::string_view& text);

}  // namespace korvane

// The process's Global Interface Table, which CoCreateInstance hands out for
// CLSID_StdGlobalInterfaceTable.
#pragma once

#include "platform/posix/objbase.h"

namespace korvane::platform {

IGlobalInterfaceTable* ProcessGlobalInterfaceTable();

}  // namespace korvane::platform

// The text form of a GUID inside the platform layer.
#pragma once

#include <string>

#include "platform/posix/guid.h"

namespace korvane::platform {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" of a GUID.
std::u16string GuidText(REFGUID guid);

}  // namespace korvane::platform

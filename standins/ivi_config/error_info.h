// Failures of the configuration server carry a COM error object with a description, as its
// clients expect from an automation server.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_ERROR_INFO_H
#define KORVANE_PLATFORM_IVI_CONFIG_ERROR_INFO_H

#include <initializer_list>
#include <string_view>

#include "platform/win32.h"

namespace korvane::ivi_config {

// Makes the description, the concatenation of parts (UTF-8), the calling thread's COM error object,
// with the source "IviConfigServer" and the given interface id, and returns code. Never fails and
// never throws: without memory the error object is simply not set.
HRESULT ReportFailure(HRESULT code, REFIID iid, std::initializer_list<std::string_view> parts);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_ERROR_INFO_H

// Text placed in an HTML page: the characters that would end an element or an
// attribute written as their entities. Used by the trace report and the
// exporter's health page.
#pragma once

#include <string>
#include <string_view>

namespace korvane::cli {

std::string HtmlEscaped(std::string_view text);

}  // namespace korvane::cli

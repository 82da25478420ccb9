// A module's file read as data: its resources found without loading it, so
// that nothing in it runs (as Windows loads a library as a data file).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane::platform {

// The bytes of resource `type` `id` of the module in `image` (the whole file);
// false when the file is not a module of this system or lacks the resource.
bool ResourceOfImage(const std::vector<unsigned char>& image, std::u16string_view type, int id,
                     std::vector<unsigned char>& bytes);

}  // namespace korvane::platform

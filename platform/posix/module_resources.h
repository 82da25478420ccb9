// The resources of a module on this system: a table the module exports
// under the name KORVANE_MODULE_RESOURCES, written by the build
// (cmake/ModuleResources.cmake), ended by an entry with a null type.
// FindResourceW looks the table up in the module its handle names.
#pragma once

#include <cstddef>

namespace korvane::platform {

struct ModuleResource {
  const char16_t* type;  // "TYPELIB", "REGISTRY", ...
  int id;
  const unsigned char* bytes;
  std::size_t size;
};

}  // namespace korvane::platform

#define KORVANE_MODULE_RESOURCES_EXPORT __attribute__((visibility("default")))

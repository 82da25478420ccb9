// The resources of a module on this system: one block of data the module
// exports under the name KORVANE_MODULE_RESOURCES, kept in its own section
// (.korvane_resources) and written by the build (cmake/ModuleResources.cmake).
// The block holds no pointers, so it reads the same from a loaded module and
// from the module's file read as data:
//
//   ResourceDirectory   magic, entry count, size of the whole block
//   ResourceEntry[count]  type, number, offset (from the entry), size
//   the resources' bytes, each followed by one zero byte
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace korvane::platform {

inline constexpr uint32_t kResourceMagic = 0x5352564B;  // "KVRS"
inline constexpr char kResourceSection[] = ".korvane_resources";

struct ResourceDirectory {
  uint32_t magic;
  uint32_t count;
  uint32_t size;  // of the whole block, this directory included
};

struct ResourceEntry {
  char16_t type[16];  // "TYPELIB", "REGISTRY", ..., zero-filled
  int32_t id;
  uint32_t offset;  // of the bytes, from this entry's first byte
  uint32_t size;
};

// The entry of a resource in a block of `available` bytes, or null when the
// block is malformed or has no such resource; `typeFound` tells the two
// misses apart. Every offset and size of the block is checked against it.
const ResourceEntry* FindResourceEntry(const unsigned char* block, std::size_t available,
                                       std::u16string_view type, int id, bool* typeFound);

}  // namespace korvane::platform

#define KORVANE_MODULE_RESOURCES_EXPORT \
  __attribute__((visibility("default"), section(".korvane_resources")))

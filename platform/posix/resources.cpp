// A module's resources: the block the build embedded in it
// (module_resources.h), looked up through the module's handle.
#include <dlfcn.h>

#include <cstring>
#include <iterator>
#include <string_view>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/module_resources.h"
#include "platform/win32.h"

using korvane::platform::ResourceDirectory;
using korvane::platform::ResourceEntry;

namespace {

// The numbered name of MAKEINTRESOURCEW, or -1 for a text name.
int NumberOf(LPCWSTR name) {
  const auto value = reinterpret_cast<ULONG_PTR>(name);
  return value <= 0xFFFF ? static_cast<int>(value) : -1;
}

const unsigned char* BlockOf(HMODULE module) {
  void* handle = module != nullptr ? static_cast<void*>(module) : ::dlopen(nullptr, RTLD_NOW);
  return static_cast<const unsigned char*>(::dlsym(handle, "KORVANE_MODULE_RESOURCES"));
}

// The size the loaded block gives itself; the build wrote it.
std::size_t BlockSize(const unsigned char* block) {
  ResourceDirectory directory{};
  std::memcpy(&directory, block, sizeof directory);
  return directory.size;
}

// The entry's type name: up to its first zero, at most its 16 units.
std::u16string_view TypeOf(const ResourceEntry& entry) {
  std::size_t length = 0;
  while (length < std::size(entry.type) && entry.type[length] != 0) ++length;
  return {entry.type, length};
}

}  // namespace

namespace korvane::platform {

const ResourceEntry* FindResourceEntry(const unsigned char* block, std::size_t available,
                                       std::u16string_view type, int id, bool* typeFound) {
  *typeFound = false;
  ResourceDirectory directory{};
  if (block == nullptr || available < sizeof directory) return nullptr;
  std::memcpy(&directory, block, sizeof directory);
  if (directory.magic != kResourceMagic || directory.size > available ||
      directory.count > (directory.size - sizeof directory) / sizeof(ResourceEntry)) {
    return nullptr;
  }
  const std::size_t first = sizeof directory;
  for (std::size_t i = 0; i < directory.count; ++i) {
    const std::size_t at = first + i * sizeof(ResourceEntry);
    const auto* entry = reinterpret_cast<const ResourceEntry*>(block + at);
    if (TypeOf(*entry) != type) continue;
    *typeFound = true;
    if (entry->id != id) continue;
    // The bytes and their terminating zero lie within the block.
    const std::size_t room = directory.size - at;
    if (entry->offset > room || entry->size >= room - entry->offset) return nullptr;
    return entry;
  }
  return nullptr;
}

}  // namespace korvane::platform

extern "C" HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  const unsigned char* block = BlockOf(hModule);
  if (block == nullptr) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  const std::u16string_view type = NumberOf(lpType) < 0 ? std::u16string_view(lpType) : u"";
  bool typeFound = false;
  const ResourceEntry* entry = korvane::platform::FindResourceEntry(block, BlockSize(block), type,
                                                                    NumberOf(lpName), &typeFound);
  if (entry == nullptr) {
    SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  }
  return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

extern "C" HGLOBAL LoadResource(HMODULE, HRSRC hResInfo) {
  if (hResInfo == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* entry = reinterpret_cast<unsigned char*>(hResInfo);
  return entry + reinterpret_cast<const ResourceEntry*>(hResInfo)->offset;
}

extern "C" LPVOID LockResource(HGLOBAL hResData) {
  return hResData;
}

extern "C" DWORD SizeofResource(HMODULE, HRSRC hResInfo) {
  if (hResInfo == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return static_cast<DWORD>(reinterpret_cast<const ResourceEntry*>(hResInfo)->size);
}

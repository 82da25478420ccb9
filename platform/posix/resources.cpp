// A module's resources: the table the build embedded in it
// (module_resources.h), looked up through the module's handle.
#include <dlfcn.h>

#include <string_view>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/module_resources.h"
#include "platform/win32.h"

using korvane::platform::ModuleResource;

namespace {

// The numbered name of MAKEINTRESOURCEW, or -1 for a text name.
int NumberOf(LPCWSTR name) {
  const auto value = reinterpret_cast<ULONG_PTR>(name);
  return value <= 0xFFFF ? static_cast<int>(value) : -1;
}

const ModuleResource* TableOf(HMODULE module) {
  void* handle = module != nullptr ? static_cast<void*>(module) : ::dlopen(nullptr, RTLD_NOW);
  return static_cast<const ModuleResource*>(::dlsym(handle, "KORVANE_MODULE_RESOURCES"));
}

}  // namespace

extern "C" HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  const ModuleResource* table = TableOf(hModule);
  if (table == nullptr) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  const int id = NumberOf(lpName);
  const std::u16string_view type = NumberOf(lpType) < 0 ? std::u16string_view(lpType) : u"";
  bool typeFound = false;
  for (const ModuleResource* entry = table; entry->type != nullptr; ++entry) {
    if (type != entry->type) continue;
    typeFound = true;
    if (entry->id == id) return reinterpret_cast<HRSRC>(const_cast<ModuleResource*>(entry));
  }
  SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

extern "C" HGLOBAL LoadResource(HMODULE, HRSRC hResInfo) {
  if (hResInfo == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return const_cast<unsigned char*>(reinterpret_cast<const ModuleResource*>(hResInfo)->bytes);
}

extern "C" LPVOID LockResource(HGLOBAL hResData) {
  return hResData;
}

extern "C" DWORD SizeofResource(HMODULE, HRSRC hResInfo) {
  if (hResInfo == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return static_cast<DWORD>(reinterpret_cast<const ModuleResource*>(hResInfo)->size);
}

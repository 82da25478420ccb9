// Modules: loading shared libraries, finding their symbols and names.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/detail/paths.h"
#include "platform/posix/detail/utf.h"

using korvane::platform::Utf8Of;

namespace {

HMODULE ToModule(void* handle) {
  return static_cast<HMODULE>(handle);
}
void* ToHandle(HMODULE module) {
  return static_cast<void*>(module);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// The handle of the executable itself.
HMODULE ExecutableModule() {
  return ToModule(::dlopen(nullptr, RTLD_NOW));
}

// This library provides the functions of the system's own modules, which
// every Windows process has loaded: their names ("OLEAUT32.DLL", "ole32",
// ...) name this library, so that an entry point looked up in them at run
// time is found here.
bool IsSystemModule(const std::string& name) {
  std::string base;
  for (char c : name) base += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0)
    base.resize(base.size() - 4);
  for (const char* system : {"kernel32", "advapi32", "ole32", "oleaut32"}) {
    if (base == system) return true;
  }
  return false;
}

// This library's own file.
std::string PlatformLibraryFile() {
  Dl_info info{};
  return ::dladdr(reinterpret_cast<void*>(&IsSystemModule), &info) != 0 && info.dli_fname != nullptr
             ? std::string(info.dli_fname)
             : std::string();
}

HMODULE Load(const std::string& name) {
  if (name.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (IsSystemModule(name)) return ToModule(::dlopen(PlatformLibraryFile().c_str(), RTLD_NOW));
  std::string path = name;
  // A bare name is looked for next to the executable first, as on Windows.
  if (name.find('/') == std::string::npos) {
    const std::string beside = korvane::platform::ExecutableDirectory() + "/" + name;
    if (FileExists(beside)) path = beside;
  }
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const bool missing = path.find('/') != std::string::npos && !FileExists(path);
    SetLastError(missing || path.find('/') == std::string::npos ? ERROR_MOD_NOT_FOUND
                                                                : ERROR_BAD_EXE_FORMAT);
  }
  return ToModule(handle);
}

// The file of a loaded module; the executable for its own handle.
std::string FileOf(HMODULE module) {
  if (module == nullptr) return korvane::platform::ExecutablePath();
  link_map* map = nullptr;
  if (::dlinfo(ToHandle(module), RTLD_DI_LINKMAP, &map) != 0 || map == nullptr ||
      map->l_name == nullptr || map->l_name[0] == '\0') {
    return korvane::platform::ExecutablePath();
  }
  char resolved[PATH_MAX];
  return ::realpath(map->l_name, resolved) != nullptr ? std::string(resolved)
                                                      : std::string(map->l_name);
}

}  // namespace

extern "C" HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
  if (lpLibFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Load(Utf8Of(lpLibFileName));
}

extern "C" HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
  if (lpLibFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Load(lpLibFileName);
}

extern "C" BOOL FreeLibrary(HMODULE hLibModule) {
  if (hLibModule == nullptr || ::dlclose(ToHandle(hLibModule)) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

extern "C" FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  void* handle = hModule == nullptr ? ToHandle(ExecutableModule()) : ToHandle(hModule);
  void* symbol = lpProcName == nullptr ? nullptr : ::dlsym(handle, lpProcName);
  if (symbol == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

extern "C" BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule) {
  if (phModule == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *phModule = nullptr;
  // A pinned module is never unloaded, whatever dlclose calls follow.
  const int mode =
      RTLD_NOW | RTLD_NOLOAD | ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) != 0 ? RTLD_NODELETE : 0);
  void* handle = nullptr;
  if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) != 0) {
    Dl_info info{};
    if (::dladdr(lpModuleName, &info) == 0 || info.dli_fname == nullptr) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
    handle = ::dlopen(info.dli_fname, mode);
    if (handle == nullptr) handle = ToHandle(ExecutableModule());
  } else if (lpModuleName == nullptr) {
    handle = ToHandle(ExecutableModule());
  } else {
    const std::string name = Utf8Of(lpModuleName);
    handle = ::dlopen(IsSystemModule(name) ? PlatformLibraryFile().c_str() : name.c_str(), mode);
  }
  if (handle == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  // Every dlopen above took a reference; give it back when none is wanted.
  if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) != 0) ::dlclose(handle);
  *phModule = ToModule(handle);
  return TRUE;
}

extern "C" HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, lpModuleName, &module);
  return module;
}

extern "C" DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  const std::u16string path = korvane::platform::Utf8ToUtf16(FileOf(hModule));
  if (nSize == 0 || lpFilename == nullptr) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() + 1 > nSize) {
    path.copy(lpFilename, nSize - 1);
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  path.copy(lpFilename, path.size());
  lpFilename[path.size()] = 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}

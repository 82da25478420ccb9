#include "com/module_file.h"

namespace korvane {
namespace {

HRESULT LastError() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace

HMODULE ModuleHandle() {
  static const char anchor = 0;  // an address inside this module
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&anchor), &module);
  return module;
}

HRESULT PinModule() {
  static const char anchor = 0;  // an address inside this module
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                          reinterpret_cast<LPCWSTR>(&anchor), &module)) {
    return LastError();
  }
  return S_OK;
}

HRESULT ModuleFileName(OleString& file) {
  OLECHAR buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameW(ModuleHandle(), buffer, MAX_PATH);
  if (length == 0) return LastError();
  if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  try {
    file.assign(buffer, length);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT ModuleResourceText(int id, LPCWSTR type, std::string_view& text) {
  const HMODULE module = ModuleHandle();
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (resource == nullptr) return LastError();
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
  if (bytes == nullptr) return LastError();
  text = std::string_view(static_cast<const char*>(bytes), SizeofResource(module, resource));
  return S_OK;
}

}  // namespace korvane

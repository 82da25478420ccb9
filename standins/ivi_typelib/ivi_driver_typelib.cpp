// Stand-in for the IVI inherent type library, IviDriverTypeLib: a module that
// holds the library as its resource TYPELIB 1 and registers it, so that a
// machine without the IVI shared components loads the libraries that import
// it (KorvaneLib).

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

HRESULT LastError() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// This module's file name.
HRESULT OwnFile(OleString& file) {
  static const char anchor = 0;
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&anchor), &module)) {
    return LastError();
  }
  OLECHAR buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
  if (length == 0) return LastError();
  if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  file.assign(buffer, length);
  return S_OK;
}

// Loads the module's own library; `file` is the module's file name.
HRESULT LoadOwnLibrary(ITypeLib** library, OleString& file) {
  const HRESULT result = OwnFile(file);
  return FAILED(result) ? result : LoadTypeLib(file.c_str(), library);
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  ITypeLib* library = nullptr;
  OleString file;
  HRESULT result = LoadOwnLibrary(&library, file);
  if (FAILED(result)) return result;
  OleString folder = file.substr(0, file.find_last_of(OLESTR("\\/:")) + 1);
  result = RegisterTypeLib(library, file.data(), folder.data());
  library->Release();
  return result;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  ITypeLib* library = nullptr;
  OleString file;
  HRESULT result = LoadOwnLibrary(&library, file);
  if (FAILED(result)) return result;
  TLIBATTR* attributes = nullptr;
  result = library->GetLibAttr(&attributes);
  if (SUCCEEDED(result)) {
    result = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                               attributes->lcid, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
  }
  library->Release();
  return result;
}

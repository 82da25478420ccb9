#include "com/class_info.h"

#include <mutex>

#include "com/identifiers.h"
#include "com/module_file.h"
#include "com/type_library.h"
#include "platform/com_ptr.h"

namespace korvane {
namespace {

// The library, loaded on first use and kept until the process ends.
class LoadedLibrary {
 public:
  HRESULT Get(ComPtr<ITypeLib>& library) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!library_) {
      // The module that keeps the library stays loaded as long as it does.
      if (const HRESULT pinned = PinModule(); FAILED(pinned)) return pinned;
      const HRESULT result =
          LoadRegTypeLib(kLibidKorvane, KORVANE_TYPELIB_MAJOR, KORVANE_TYPELIB_MINOR,
                         KORVANE_TYPELIB_LCID, library_.GetAddressOf());
      if (FAILED(result)) return result;
    }
    library = library_;
    return S_OK;
  }

 private:
  std::mutex lock_;
  ComPtr<ITypeLib> library_;
};

// Never destroyed: releasing the library would be a call into the system's type library cache
// while the module unloads or the process ends, which may wait for a lock that a thread the
// system has already stopped still holds. The process's end frees it.
LoadedLibrary& Library() {
  static LoadedLibrary* const library = new LoadedLibrary;
  return *library;
}

}  // namespace

HRESULT ClassTypeInfo(REFCLSID clsid, ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = nullptr;
  ComPtr<ITypeLib> library;
  const HRESULT result = Library().Get(library);
  if (FAILED(result)) return result;
  return library->GetTypeInfoOfGuid(clsid, typeInfo);
}

HRESULT ClassGuid(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  *guid = GUID{};
  return kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID ? E_FAIL : E_INVALIDARG;
}

}  // namespace korvane

#pragma once
// _Driver<T>: binds the framework's CDriver to the concrete driver class T
// and adds the COM faces every driver object has (error-information support,
// class information, the personality host).

#include "com/class_info.h"
#include "com/interfaces.h"
#include "driver/driver.h"
#include "platform/win32.h"

namespace korvane {

template <class T>
class _Driver : public CDriver,
                public ISupportErrorInfo,
                public IProvideClassInfo2,
                public IPersonalityHost {
 public:
  _Driver() : CDriver(T::kClassId, T::MakeDriverInfo()) {}

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    return T::SupportsErrorInfo(riid) ? S_OK : S_FALSE;
  }

  // The co-class's type information from the registered type library.
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** typeInfo) override {
    return ClassTypeInfo(T::kClassId, typeInfo);
  }
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override {
    return ClassGuid(kind, guid);
  }

  // Called when the last client reference goes: the items let go of the
  // driver, which is freed once no item call holds it any more.
  void FinalRelease() { ReleaseTree(); }
};

}  // namespace korvane

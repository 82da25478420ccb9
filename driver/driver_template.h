#pragma once
// _Driver<T>: binds the framework's CDriver to the concrete driver class T
// and adds the COM faces every driver object has (error-information support,
// the personality host).

#include "com/interfaces.h"
#include "driver/driver.h"
#include "platform/win32.h"

namespace korvane {

template <class T>
class _Driver : public CDriver, public ISupportErrorInfo, public IPersonalityHost {
 public:
  _Driver() : CDriver(T::kClassId, T::MakeDriverInfo()) {}

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    return T::SupportsErrorInfo(riid) ? S_OK : S_FALSE;
  }

  // Called once, just before the object is freed.
  void FinalRelease() {}
};

}  // namespace korvane

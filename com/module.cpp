#include "com/module.h"

#include "com/class_factory.h"
#include "com/module_lock.h"
#include "driver/korvane.h"

namespace korvane {
namespace {

IClassFactory& DriverClassFactory() {
  static ClassFactory<Korvane> factory;  // created on first use, kept for the module's life
  return factory;
}

}  // namespace

std::atomic<LONG>& ModuleLockCount() {
  static std::atomic<LONG> count{0};
  return count;
}

HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualGUID(clsid, kClsidKorvane)) return CLASS_E_CLASSNOTAVAILABLE;
  return DriverClassFactory().QueryInterface(riid, object);
}

HRESULT CanUnloadNow() {
  return ModuleLockCount().load() == 0 ? S_OK : S_FALSE;
}

HRESULT RegisterClassObjectsInProcess(DWORD* cookie) {
  return CoRegisterClassObject(kClsidKorvane, &DriverClassFactory(), CLSCTX_INPROC_SERVER,
                               REGCLS_MULTIPLEUSE, cookie);
}

}  // namespace korvane

#include "standins/ivi_config/in_process_registration.h"

#include "standins/ivi_config/class_factory.h"
#include "standins/ivi_config/com_ref.h"

namespace korvane::ivi_config {

HRESULT RegisterConfigStoreClass(DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  ComRef<IClassFactory> factory;
  const HRESULT created = HandOut<ConfigStoreFactory>(factory.Put());
  if (FAILED(created)) return created;
  return CoRegisterClassObject(CLSID_IviConfigStore, factory.get(), CLSCTX_INPROC_SERVER,
                               REGCLS_MULTIPLEUSE, cookie);
}

HRESULT RevokeConfigStoreClass(DWORD cookie) {
  return CoRevokeClassObject(cookie);
}

}  // namespace korvane::ivi_config

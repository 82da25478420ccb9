#include "standins/ivi_config/in_process_registration.h"

#include "platform/com_ptr.h"
#include "standins/ivi_config/class_factory.h"

namespace korvane::ivi_config {

HRESULT RegisterConfigStoreClass(DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  ComPtr<IClassFactory> factory;
  const HRESULT created = HandOut<ConfigStoreFactory>(factory.GetAddressOf());
  if (FAILED(created)) return created;
  return CoRegisterClassObject(CLSID_IviConfigStore, factory.Get(), CLSCTX_INPROC_SERVER,
                               REGCLS_MULTIPLEUSE, cookie);
}

HRESULT RevokeConfigStoreClass(DWORD cookie) {
  return CoRevokeClassObject(cookie);
}

}  // namespace korvane::ivi_config

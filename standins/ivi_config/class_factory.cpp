#include "standins/ivi_config/class_factory.h"

#include "platform/com_ptr.h"
#include "standins/ivi_config/config_store.h"

namespace korvane::ivi_config {

HRESULT ConfigStoreFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  ComPtr<IIviConfigStore> store;
  const HRESULT created = HandOut<ConfigStore>(store.GetAddressOf());
  if (FAILED(created)) return created;
  return store->QueryInterface(iid, object);
}

HRESULT ConfigStoreFactory::LockServer(BOOL lock) {
  if (lock) {
    AddModuleUse();
  } else {
    RemoveModuleUse();
  }
  return S_OK;
}

}  // namespace korvane::ivi_config

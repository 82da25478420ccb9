// The class object of CLSID_IviConfigStore: makes configuration store objects.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_CLASS_FACTORY_H
#define KORVANE_PLATFORM_IVI_CONFIG_CLASS_FACTORY_H

#include "standins/ivi_config/com_object.h"

namespace korvane::ivi_config {

class ConfigStoreFactory final : public ComObject<IClassFactory> {
 public:
  // Aggregation is not supported: CLASS_E_NOAGGREGATION.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  // Keeps the module in use (DllCanUnloadNow) while locked.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_CLASS_FACTORY_H

// The configuration store object, the class that clients create.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_CONFIG_STORE_H
#define KORVANE_PLATFORM_IVI_CONFIG_CONFIG_STORE_H

#include <mutex>

#include "standins/ivi_config/store_objects.h"

namespace korvane::ivi_config {

class ConfigStore final : public ComObject<IIviConfigStore> {
 public:
  ConfigStore();

  HRESULT STDMETHODCALLTYPE get_ProcessDefaultLocation(BSTR* location) override;
  HRESULT STDMETHODCALLTYPE get_MasterLocation(BSTR* location) override;
  HRESULT STDMETHODCALLTYPE Deserialize(BSTR location) override;
  HRESULT STDMETHODCALLTYPE get_DriverSessions(IIviDriverSessionCollection** sessions) override;
  HRESULT STDMETHODCALLTYPE get_SoftwareModules(IIviSoftwareModuleCollection** modules) override;

 private:
  StorePtr Contents() const;

  mutable std::mutex mutex_;
  StorePtr store_;  // replaced whole by Deserialize
};

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_CONFIG_STORE_H

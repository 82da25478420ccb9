#include "standins/ivi_config/config_store.h"

#include <new>

#include "standins/ivi_config/error_info.h"
#include "standins/ivi_config/store_file.h"
#include "standins/ivi_config/store_locations.h"

namespace korvane::ivi_config {

namespace {

// Runs a function that makes a location and hands the location out as a BSTR.
template <class MakeLocation>
HRESULT CopyLocation(MakeLocation make, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    const OleString location = make();
    *out = SysAllocStringLen(location.data(), static_cast<UINT>(location.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace

ConfigStore::ConfigStore() : store_(std::make_shared<const StoreModel>()) {}

StorePtr ConfigStore::Contents() const {
  std::lock_guard guard(mutex_);
  return store_;
}

HRESULT ConfigStore::get_ProcessDefaultLocation(BSTR* location) {
  return CopyLocation(ProcessDefaultLocation, location);
}

HRESULT ConfigStore::get_MasterLocation(BSTR* location) {
  return CopyLocation(MasterLocation, location);
}

HRESULT ConfigStore::Deserialize(BSTR location) {
  try {
    auto contents = std::make_shared<const StoreModel>(LoadStoreFile(OleView(location)));
    std::lock_guard guard(mutex_);
    store_ = std::move(contents);
    return S_OK;
  } catch (const StoreFileError& error) {
    return ReportFailure(error.code(), IID_IIviConfigStore, {error.what()});
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception& error) {  // nothing may pass the COM boundary
    return ReportFailure(IVICONFIG_E_CANNOT_READ, IID_IIviConfigStore, {error.what()});
  }
}

HRESULT ConfigStore::get_DriverSessions(IIviDriverSessionCollection** sessions) {
  return HandOutSessions(Contents(), sessions);
}

HRESULT ConfigStore::get_SoftwareModules(IIviSoftwareModuleCollection** modules) {
  return HandOutModules(Contents(), modules);
}

}  // namespace korvane::ivi_config

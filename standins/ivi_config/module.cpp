// The entry points of the IviConfigServer module, an in-process COM server of one class.
#include <new>

#include "platform/com_ptr.h"
#include "standins/ivi_config/class_factory.h"
#include "standins/ivi_config/ivi_config_server.h"
#include "standins/ivi_config/server_registration.h"

using korvane::ComPtr;

namespace {

using korvane::ivi_config::RegistrationScope;

HRESULT Register(RegistrationScope scope) {
  try {
    return korvane::ivi_config::RegisterServer(scope, korvane::ivi_config::ThisModulePath());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_IviConfigStore)) return CLASS_E_CLASSNOTAVAILABLE;
  ComPtr<IClassFactory> factory;
  const HRESULT created =
      korvane::ivi_config::HandOut<korvane::ivi_config::ConfigStoreFactory>(factory.GetAddressOf());
  if (FAILED(created)) return created;
  return factory->QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() {
  return korvane::ivi_config::ModuleInUse() ? S_FALSE : S_OK;
}

// For the current user.
STDAPI DllRegisterServer() {
  return Register(RegistrationScope::User);
}
STDAPI DllUnregisterServer() {
  return korvane::ivi_config::UnregisterServer(RegistrationScope::User);
}

// commandLine: null, "" or "user" for the current user, "machine" for every user.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  const auto scope = korvane::ivi_config::ScopeFromCommandLine(OleView(commandLine));
  if (!scope) return E_INVALIDARG;
  return install ? Register(*scope) : korvane::ivi_config::UnregisterServer(*scope);
}

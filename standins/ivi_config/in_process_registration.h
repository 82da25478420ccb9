// Makes the configuration store class creatable in this process without the registry: for
// programs and tests that link the server's code (library ivi_config_store) themselves.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_IN_PROCESS_REGISTRATION_H
#define KORVANE_PLATFORM_IVI_CONFIG_IN_PROCESS_REGISTRATION_H

#include "standins/ivi_config/ivi_config_server.h"

namespace korvane::ivi_config {

// Registers the class object of CLSID_IviConfigStore with CoRegisterClassObject
// (CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE); the calling thread must be in COM. CoCreateInstance
// then finds it before any registry entry. *cookie receives the registration, for
// RevokeConfigStoreClass (or CoRevokeClassObject).
HRESULT RegisterConfigStoreClass(DWORD* cookie);
HRESULT RevokeConfigStoreClass(DWORD cookie);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_IN_PROCESS_REGISTRATION_H

// Self-registration of the configuration server module: the key
// Software\Classes\CLSID\{CLSID_IviConfigStore} with its InprocServer32 key (default value: the
// module's full path; ThreadingModel "Both"), below HKEY_CURRENT_USER for the current user (what
// DllRegisterServer does) or below HKEY_LOCAL_MACHINE for every user (DllInstall "machine"; the
// one a system whose COM ignores per-user classes, such as Wine, needs).
#ifndef KORVANE_PLATFORM_IVI_CONFIG_SERVER_REGISTRATION_H
#define KORVANE_PLATFORM_IVI_CONFIG_SERVER_REGISTRATION_H

#include <optional>

#include "platform/ole_string.h"

namespace korvane::ivi_config {

// The full path of the module this code is linked into; empty when it cannot be found.
OleString ThisModulePath();

enum class RegistrationScope { User, Machine };

// The scope a DllInstall command line names: empty or "user", or "machine" (letter case ignored).
std::optional<RegistrationScope> ScopeFromCommandLine(OleStringView commandLine);

// Both return S_OK or the registry's failure as an HRESULT (E_INVALIDARG for an empty path).
HRESULT RegisterServer(RegistrationScope scope, OleStringView modulePath);
// Removes the class key with everything below it; a class that is not registered is no error.
HRESULT UnregisterServer(RegistrationScope scope);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_SERVER_REGISTRATION_H

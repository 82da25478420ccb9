#include "standins/ivi_config/server_registration.h"

#include <new>
#include <string_view>

#include "platform/scoped_hkey.h"
#include "standins/ivi_config/ivi_config_server.h"

namespace korvane::ivi_config {

namespace {

constexpr OleStringView kClassDescription = OLESTR("Korvane IVI configuration store");
constexpr OleStringView kThreadingModel = OLESTR("Both");

OleString ClassKeyPath() {
  return OleString(OLESTR("Software\\Classes\\CLSID\\")) + kIviConfigStoreClsidText;
}

// A registry key created for writing its text values.
class RegistryKey {
 public:
  LSTATUS Create(HKEY parent, const OLECHAR* subKey) {
    return RegCreateKeyExW(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                           key_.Receive(), nullptr);
  }
  // Sets a REG_SZ value; a null name is the key's default value.
  LSTATUS SetText(const OLECHAR* name, OleStringView text) const {
    const OleString terminated(text);
    const auto bytes = static_cast<DWORD>((terminated.size() + 1) * sizeof(OLECHAR));
    return RegSetValueExW(key_.Get(), name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(terminated.c_str()), bytes);
  }
  HKEY get() const { return key_.Get(); }

 private:
  ScopedHkey key_;
};

HRESULT FromRegistry(LSTATUS status) {
  return HRESULT_FROM_WIN32(static_cast<ULONG>(status));
}

HKEY RootOf(RegistrationScope scope) {
  return scope == RegistrationScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

bool EqualsAsciiIgnoringCase(OleStringView text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const OLECHAR c =
        text[i] >= 'A' && text[i] <= 'Z' ? static_cast<OLECHAR>(text[i] - 'A' + 'a') : text[i];
    if (c != static_cast<OLECHAR>(word[i])) return false;
  }
  return true;
}

}  // namespace

OleString ThisModulePath() {
  HMODULE module = nullptr;
  const auto flags =
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&ThisModulePath), &module)) return {};
  OleString path(MAX_PATH, OLECHAR{});
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::optional<RegistrationScope> ScopeFromCommandLine(OleStringView commandLine) {
  if (commandLine.empty() || EqualsAsciiIgnoringCase(commandLine, "user")) {
    return RegistrationScope::User;
  }
  if (EqualsAsciiIgnoringCase(commandLine, "machine")) return RegistrationScope::Machine;
  return std::nullopt;
}

HRESULT RegisterServer(RegistrationScope scope, OleStringView modulePath) {
  if (modulePath.empty()) return E_INVALIDARG;
  try {
    RegistryKey classKey;
    LSTATUS status = classKey.Create(RootOf(scope), ClassKeyPath().c_str());
    if (status == ERROR_SUCCESS) status = classKey.SetText(nullptr, kClassDescription);
    RegistryKey serverKey;
    if (status == ERROR_SUCCESS)
      status = serverKey.Create(classKey.get(), OLESTR("InprocServer32"));
    if (status == ERROR_SUCCESS) status = serverKey.SetText(nullptr, modulePath);
    if (status == ERROR_SUCCESS)
      status = serverKey.SetText(OLESTR("ThreadingModel"), kThreadingModel);
    return FromRegistry(status);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT UnregisterServer(RegistrationScope scope) {
  try {
    const LSTATUS status = RegDeleteTreeW(RootOf(scope), ClassKeyPath().c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_OK : FromRegistry(status);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace korvane::ivi_config

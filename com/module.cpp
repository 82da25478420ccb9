#include "com/module.h"

#include <atomic>
#include <string_view>
#include <vector>

#include "com/class_factory.h"
#include "com/module_file.h"
#include "com/module_lock.h"
#include "com/registrar.h"
#include "com/type_library.h"
#include "com/type_library_registration.h"
#include "driver/korvane.h"
#include "platform/scoped_hkey.h"

namespace korvane {
class KorvaneTemperatureSensor;
class KorvaneFan;
class KorvaneVoltageRail;
}  // namespace korvane

namespace korvane {
namespace {

// One class of the object map: its registry script, and the class object
// of the creatable class.
struct ObjectMapEntry {
  CLSID clsid;
  int script;
  IClassFactory* (*classObject)();
};

IClassFactory* DriverClassFactory() {
  static ClassFactory<Korvane> factory;  // created on first use, kept for the module's life
  return &factory;
}

// The class object of a class of the map: the driver's cached factory; the
// item classes have none (the driver makes its items).
template <class Class>
IClassFactory* (*const kClassObjectOf)() = nullptr;
template <>
IClassFactory* (*const kClassObjectOf<Korvane>)() = DriverClassFactory;

// The object map, in registration order.
#define KORVANE_MAP_ENTRY(Class, ClsidText, HelpContext, Script, ProgId) \
  {GuidFromText(ClsidText), Script, kClassObjectOf<Class>},
const ObjectMapEntry kObjectMap[] = {KORVANE_COCLASSES(KORVANE_MAP_ENTRY)};
#undef KORVANE_MAP_ENTRY

std::atomic<bool>& PerUser() {
  static std::atomic<bool> perUser{false};
  return perUser;
}

// The thread locale is the system default while the registry is written.
class SystemDefaultLocale {
 public:
  SystemDefaultLocale() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
  ~SystemDefaultLocale() { SetThreadLocale(saved_); }
  SystemDefaultLocale(const SystemDefaultLocale&) = delete;
  SystemDefaultLocale& operator=(const SystemDefaultLocale&) = delete;

 private:
  LCID saved_;
};

// The key that stands for HKEY_CLASSES_ROOT: the user's classes key in
// per-user mode.
class ClassesRoot {
 public:
  ClassesRoot() {
    if (!PerUser().load()) return;
    status_ = RegCreateKeyExW(HKEY_CURRENT_USER, OLESTR("Software\\Classes"), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              userClasses_.Receive(), nullptr);
  }

  HRESULT Status() const {
    return status_ == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status_));
  }
  HKEY Get() const {
    return userClasses_.Get() != nullptr ? userClasses_.Get() : HKEY_CLASSES_ROOT;
  }

 private:
  ScopedHkey userClasses_;  // the user's classes key in per-user mode
  LSTATUS status_ = ERROR_SUCCESS;
};

// The scripts' variables: the module's file name (quotes doubled for the
// scripts' quoted texts, and raw) and the application id in braces.
HRESULT ScriptVariables(std::vector<RegistrarVariable>& variables) {
  OleString file;
  const HRESULT result = ModuleFileName(file);
  if (FAILED(result)) return result;
  try {
    OleString quoted;
    for (OLECHAR c : file) {
      quoted += c;
      if (c == OLECHAR('\'')) quoted += c;
    }
    OleString appId;
    for (char c : std::string_view(kAppidKorvaneText)) {
      appId += static_cast<OLECHAR>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    }
    variables = {
        {OLESTR("Module"), quoted}, {OLESTR("Module_Raw"), file}, {OLESTR("APPID"), appId}};
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT RunScript(const Registrar& registrar, int number, bool registering) {
  std::string_view script;
  const HRESULT result = ModuleResourceText(number, OLESTR("REGISTRY"), script);
  if (FAILED(result)) return result;
  return registering ? registrar.Register(script) : registrar.Unregister(script);
}

// Registration: the application's script, each class's script in map
// order (no component categories to add), then the type library.
HRESULT RegisterWith(const Registrar& registrar) {
  HRESULT result = RunScript(registrar, KORVANE_APPID_SCRIPT, true);
  for (const ObjectMapEntry& entry : kObjectMap) {
    if (SUCCEEDED(result)) result = RunScript(registrar, entry.script, true);
  }
  return FAILED(result) ? result : RegisterModuleTypeLib(PerUser().load());
}

// Unregistration: the classes' scripts (the first failure ends it), the type
// library, then the application's script, whose result is the result. What
// the type library's removal returns is not: a library that was never
// registered (a registration that failed before it) must not keep the
// application's keys from going.
HRESULT UnregisterWith(const Registrar& registrar) {
  for (const ObjectMapEntry& entry : kObjectMap) {
    if (const HRESULT result = RunScript(registrar, entry.script, false); FAILED(result)) {
      return result;
    }
  }
  UnregisterModuleTypeLib(PerUser().load());
  return RunScript(registrar, KORVANE_APPID_SCRIPT, false);
}

// Runs registration or unregistration under the system default locale,
// against the classes root of the current mode.
HRESULT Run(HRESULT (*steps)(const Registrar&)) {
  SystemDefaultLocale locale;
  ClassesRoot root;
  HRESULT result = root.Status();
  std::vector<RegistrarVariable> variables;
  if (SUCCEEDED(result)) result = ScriptVariables(variables);
  if (FAILED(result)) return result;
  return steps(Registrar(root.Get(), std::move(variables)));
}

HRESULT Register() {
  return Run(RegisterWith);
}

HRESULT Unregister() {
  return Run(UnregisterWith);
}

// "user" in any letter case, and nothing longer.
bool IsUserCommand(LPCWSTR commandLine) {
  if (commandLine == nullptr) return false;
  const std::string_view user = "user";
  for (std::size_t i = 0; i <= user.size(); ++i) {
    const OLECHAR expected = i < user.size() ? static_cast<OLECHAR>(user[i]) : OLECHAR(0);
    OLECHAR c = commandLine[i];
    if (c >= OLECHAR('A') && c <= OLECHAR('Z')) c = static_cast<OLECHAR>(c - 'A' + 'a');
    if (c != expected) return false;
    if (c == 0) break;
  }
  return true;
}

}  // namespace

std::atomic<LONG>& ModuleLockCount() {
  static std::atomic<LONG> count{0};
  return count;
}

HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  for (const ObjectMapEntry& entry : kObjectMap) {
    if (entry.classObject == nullptr || !IsEqualGUID(clsid, entry.clsid)) continue;
    return entry.classObject()->QueryInterface(riid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() {
  return ModuleLockCount().load() == 0 ? S_OK : S_FALSE;
}

HRESULT RegisterServer() {
  return Register();
}

HRESULT UnregisterServer() {
  return Unregister();
}

HRESULT InstallServer(BOOL install, LPCWSTR commandLine) {
  if (IsUserCommand(commandLine)) PerUser().store(true);
  if (!install) return Unregister();
  const HRESULT result = Register();
  if (FAILED(result)) Unregister();
  return result;
}

HRESULT RegisterClassObjectsInProcess(DWORD* cookie) {
  // COM keeps the class object until the process ends (it is never revoked: revoking at unload
  // would be a COM call while the module unloads), so the module stays loaded as long: a
  // client's FreeLibrary then leaves the code COM points to in place.
  if (const HRESULT pinned = PinModule(); FAILED(pinned)) return pinned;
  return CoRegisterClassObject(kClsidKorvane, DriverClassFactory(), CLSCTX_INPROC_SERVER,
                               REGCLS_MULTIPLEUSE, cookie);
}

}  // namespace korvane

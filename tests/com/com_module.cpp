#include "tests/com/com_module.h"

#include <cstdlib>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace korvane::test {

bool RunRegistration(const std::string& switches, const char* moduleFile) {
#ifdef _WIN32
  const std::string tool = "regsvr32";
#else
  const std::string tool = OleToAnsi(BesideProgram("korvane-regsvr"));
#endif
  const std::string command = tool + " /s " + switches + " " + OleToAnsi(BesideProgram(moduleFile));
  return std::system(command.c_str()) == 0;
}

int RunProgram(const char* programFile) {
  const int status = std::system(OleToAnsi(BesideProgram(programFile)).c_str());
#ifdef _WIN32
  return status;
#else
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

bool KeyExists(HKEY root, const OleString& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

OleString TextValue(HKEY root, const OleString& path, const OLECHAR* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  OLECHAR text[MAX_PATH] = {};
  DWORD size = sizeof text - sizeof text[0];
  DWORD type = REG_NONE;
  const LSTATUS status =
      RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? OleString(text) : OleString();
}

DriverModule::DriverModule() : module_(LoadLibraryW(BesideProgram(KORVANE_DRIVER_FILE).c_str())) {}

DriverModule::~DriverModule() {
  if (module_ != nullptr) FreeLibrary(module_);
}

template <class Function>
Function Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

HRESULT DriverModule::GetClassObject(REFCLSID clsid, REFIID riid, void** object) const {
  const auto entry =
      Entry<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(module_, "DllGetClassObject");
  return entry == nullptr ? E_FAIL : entry(clsid, riid, object);
}

HRESULT DriverModule::CanUnloadNow() const {
  const auto entry = Entry<HRESULT(STDAPICALLTYPE*)()>(module_, "DllCanUnloadNow");
  return entry == nullptr ? E_FAIL : entry();
}

HRESULT DriverModule::RegisterServer() const {
  const auto entry = Entry<HRESULT(STDAPICALLTYPE*)()>(module_, "DllRegisterServer");
  return entry == nullptr ? E_FAIL : entry();
}

}  // namespace korvane::test

#include "tests/com/com_module.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace korvane::test {
namespace {

// Both COM suites run with the IVI stand-in and the driver registered.
class Registered : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(RunRegistration("", KORVANE_IVI_TYPELIB_FILE));
    ASSERT_TRUE(Register());
  }
};
[[maybe_unused]] const auto* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new Registered);

}  // namespace

bool RunRegistration(const std::string& switches, const char* moduleFile, std::string* errors) {
#ifdef _WIN32
  const std::string tool = "regsvr32";
#else
  const std::string tool = OleToAnsi(BesideProgram("korvane-regsvr"));
#endif
  const std::string module = OleToAnsi(BesideProgram(moduleFile));
  const std::string errorFile = module + ".errors";
  std::string command =
      tool + (errors == nullptr ? " /s " : " ") + switches + " \"" + module + "\"";
  if (errors != nullptr) command += " 2>\"" + errorFile + "\"";
  const bool succeeded = std::system(command.c_str()) == 0;
  if (errors != nullptr) {
    std::ifstream in(errorFile);
    errors->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    in.close();
    std::remove(errorFile.c_str());
  }
  return succeeded;
}

void CopyDriverModule(const char* copyFile, bool damaged) {
  std::ifstream in(OleToAnsi(BesideProgram(KORVANE_DRIVER_FILE)), std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  for (std::size_t at = 0; damaged && (at = bytes.find("MSFT", at)) != std::string::npos;) {
    bytes[at + 3] = 'X';
  }
  std::ofstream(OleToAnsi(BesideProgram(copyFile)), std::ios::binary) << bytes;
}

namespace {

void List(HKEY key, const std::string& path, std::string& out) {
  OLECHAR name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    out += path + " =" + OleToAnsi(OleString(name, length)) + "\n";
  }
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    const OleString sub(name, length);
    out += path + "\\" + OleToAnsi(sub) + "\n";
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, sub.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
    List(child, path + "\\" + OleToAnsi(sub), out);
    RegCloseKey(child);
  }
}

}  // namespace

std::string Listing(HKEY root) {
  std::string out;
  List(root, "", out);
  return out;
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

HRESULT DriverModule::Install(BOOL install, LPCWSTR commandLine) const {
  const auto entry = Entry<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>(module_, "DllInstall");
  return entry == nullptr ? E_FAIL : entry(install, commandLine);
}

}  // namespace korvane::test

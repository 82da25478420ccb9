// The COM suite's reach into the registered driver module: registering it
// with the system's registration command (regsvr32, on Linux korvane-regsvr),
// reading the registry, and calling the module's entry points.
#pragma once

#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"
#include "tests/support/beside_program.h"

namespace korvane::test {

using korvane::testing::BesideProgram;

// Runs the registration command with the switches on a module next to the
// program; true when it succeeded. With `errors`, what it wrote to its
// standard error is kept there.
bool RunRegistration(const std::string& switches, const char* moduleFile,
                     std::string* errors = nullptr);
inline bool Register(const std::string& switches = "") {
  return RunRegistration(switches, KORVANE_DRIVER_FILE);
}

// Runs a program next to the test program; its exit status.
int RunProgram(const char* programFile);

// Copies the driver module next to the program under another name; with
// `damaged`, the copy's type library no longer reads (its signature broken).
void CopyDriverModule(const char* copyFile, bool damaged);

// Every key and value name below root, one line each, in order.
std::string Listing(HKEY root);

bool KeyExists(HKEY root, const OleString& path);
// The text value (the default value for a null name); empty when missing.
OleString TextValue(HKEY root, const OleString& path, const OLECHAR* name = nullptr);

// The driver module, loaded for the test's life, and its entry points.
class DriverModule {
 public:
  DriverModule();
  ~DriverModule();
  DriverModule(const DriverModule&) = delete;
  DriverModule& operator=(const DriverModule&) = delete;

  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) const;
  HRESULT CanUnloadNow() const;
  HRESULT RegisterServer() const;
  HRESULT Install(BOOL install, LPCWSTR commandLine) const;

 private:
  HMODULE module_;
};

}  // namespace korvane::test

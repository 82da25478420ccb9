// A separate client of the registered driver: creates "Korvane.Korvane" by
// its ProgID, checks that IKorvane and IIviDriver are one pointer, and runs a
// simulated session. Exits 0 when all went well, else the number of the
// step that failed.

#include "com/interfaces.h"
#include "platform/win32.h"

namespace {

int Run() {
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(OLESTR("Korvane.Korvane"), &clsid))) return 2;
  IKorvane* driver = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IKorvane,
                              reinterpret_cast<void**>(&driver)))) {
    return 3;
  }
  IIviDriver* inherent = nullptr;
  int failed = 0;
  if (FAILED(driver->QueryInterface(IID_IIviDriver, reinterpret_cast<void**>(&inherent)))) {
    failed = 4;
  } else if (static_cast<void*>(inherent) != static_cast<void*>(driver)) {
    failed = 5;
  }
  BSTR resource = SysAllocString(OLESTR(""));
  BSTR options = SysAllocString(OLESTR("Simulate=true"));
  VARIANT_BOOL initialized = VARIANT_FALSE;
  if (failed == 0 && FAILED(driver->Initialize(resource, VARIANT_FALSE, VARIANT_FALSE, options)))
    failed = 6;
  if (failed == 0 && (FAILED(driver->get_Initialized(&initialized)) || initialized != VARIANT_TRUE))
    failed = 7;
  if (failed == 0 && FAILED(driver->Close())) failed = 8;
  SysFreeString(options);
  SysFreeString(resource);
  if (inherent != nullptr) inherent->Release();
  driver->Release();
  return failed;
}

}  // namespace

int main() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
  const int status = Run();
  CoUninitialize();
  return status;
}

// A C++ client of the driver's COM face, built from the installed files only: the headers
// Korvane_i.h and ivi_driver.h and the identifiers of Korvane_i.c and ivi_driver_i.c. It creates
// the driver by its ProgID (the classes must be registered: the installer does it, or
// `regsvr32 Korvane.dll`), initializes it simulated, prints its identity and a temperature,
// shows the driver's text for a sensor that does not exist, and closes it.
//
//   x86_64-w64-mingw32-g++ -I<include> com_client.cpp <include>/Korvane_i.c
//       <include>/ivi_driver_i.c -lole32 -loleaut32 -luuid -o com_client.exe
#include <windows.h>

#include <cstdio>

#include "Korvane_i.h"

namespace {

// A BSTR owned for one scope.
class Text {
 public:
  explicit Text(const wchar_t* text = nullptr) : bstr_(text ? SysAllocString(text) : nullptr) {}
  ~Text() { SysFreeString(bstr_); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  BSTR Get() const { return bstr_; }
  BSTR* Receive() {
    SysFreeString(bstr_);
    bstr_ = nullptr;
    return &bstr_;
  }
  const wchar_t* Shown() const { return bstr_ ? bstr_ : L""; }

 private:
  BSTR bstr_;
};

// An interface pointer owned for one scope.
template <class Interface>
class Ref {
 public:
  Ref() = default;
  ~Ref() {
    if (pointer_) pointer_->Release();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Interface* operator->() const { return pointer_; }
  Interface** Receive() { return &pointer_; }
  void** ReceiveVoid() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

// The driver's description of the last failure on this thread.
void ShowError(const char* what, HRESULT status) {
  Text description;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK) {
    info->GetDescription(description.Receive());
    info->Release();
  }
  std::printf("%s failed: 0x%08lX %ls\n", what, static_cast<unsigned long>(status),
              description.Shown());
}

int Run() {
  CLSID clsid;
  HRESULT status = CLSIDFromProgID(L"Korvane.Korvane", &clsid);
  if (FAILED(status)) return ShowError("CLSIDFromProgID(Korvane.Korvane)", status), 1;
  Ref<IKorvane> driver;
  status =
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IKorvane, driver.ReceiveVoid());
  if (FAILED(status)) return ShowError("CoCreateInstance", status), 1;

  Text resource(L"PXI0::0::INSTR");
  Text options(L"Simulate=true");
  status = driver->Initialize(resource.Get(), VARIANT_FALSE, VARIANT_FALSE, options.Get());
  if (FAILED(status)) return ShowError("Initialize", status), 1;

  Ref<IIviDriverIdentity> identity;
  Text manufacturer, model;
  if (FAILED(status = driver->get_Identity(identity.Receive())) ||
      FAILED(status = identity->get_InstrumentManufacturer(manufacturer.Receive())) ||
      FAILED(status = identity->get_InstrumentModel(model.Receive()))) {
    ShowError("reading the identity", status);
  } else {
    std::printf("instrument: %ls %ls\n", manufacturer.Shown(), model.Shown());
  }

  Ref<IKorvaneTemperatureSensors> sensors;
  Ref<IKorvaneTemperatureSensor> sensor;
  Text ts1(L"TS1");
  double celsius = 0;
  if (FAILED(status = driver->get_TemperatureSensors(sensors.Receive())) ||
      FAILED(status = sensors->get_Item(ts1.Get(), sensor.Receive())) ||
      FAILED(status = sensor->get_Temperature(&celsius))) {
    ShowError("reading TS1", status);
  } else {
    std::printf("TS1: %.1f C\n", celsius);
  }

  // A sensor that does not exist: the driver says so, in its own words.
  Ref<IKorvaneTemperatureSensor> missing;
  Text ts9(L"TS9");
  status = sensors->get_Item(ts9.Get(), missing.Receive());
  if (FAILED(status)) ShowError("Item(\"TS9\")", status);

  status = driver->Close();
  if (FAILED(status)) return ShowError("Close", status), 1;
  return 0;
}

}  // namespace

int main() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
  const int result = Run();
  CoUninitialize();
  return result;
}

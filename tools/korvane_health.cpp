// korvane-health: the example client. Creates the driver through its COM
// face, initializes it (the chassis at the given resource, or simulated) and
// prints the chassis's health as a table.
//
//   korvane-health [--simulate] [--resource NAME] [--options TEXT]

#include <cstdio>
#include <cstring>
#include <string>

#include "com/identifiers.h"
#include "com/interfaces.h"
#include "com/module.h"
#include "platform/com_ptr.h"
#include "platform/ole_string.h"
#include "platform/scoped_bstr.h"
#include "platform/win32.h"

namespace {

using korvane::ComPtr;
using korvane::ScopedBstr;

struct Arguments {
  std::string resource = "PXI0::0::INSTR";
  std::string options;
  bool simulate = false;
};

// A failed call: its status and the driver's description of it.
class CallFailed {
 public:
  CallFailed(HRESULT status, const char* what) : status_(status), what_(what) {
    ComPtr<IErrorInfo> info;
    ScopedBstr text;
    if (GetErrorInfo(0, info.GetAddressOf()) == S_OK && info) info->GetDescription(text.Receive());
    description_ = OleToAnsi(BstrView(text.Get()));
  }
  void Print() const {
    std::fprintf(stderr, "korvane-health: %s failed (0x%08X)%s%s\n", what_,
                 static_cast<unsigned>(status_), description_.empty() ? "" : ": ",
                 description_.c_str());
  }

 private:
  HRESULT status_;
  const char* what_;
  std::string description_;
};

void Check(HRESULT status, const char* what) {
  if (FAILED(status)) throw CallFailed(status, what);
}

std::string Text(BSTR text) {
  return OleToAnsi(BstrView(text));
}

const char* YesNo(VARIANT_BOOL value) {
  return value ? "yes" : "no";
}

const char* ClockSourceName(KorvaneRefClockSourceEnum source) {
  switch (source) {
    case KorvaneRefClockSourceInternal:
      return "internal";
    case KorvaneRefClockSourceExternal:
      return "external";
    case KorvaneRefClockSourceTimingModule:
      return "timing module";
  }
  return "unknown";
}

const char* RoutingName(KorvaneTrigBusEnum routing) {
  switch (routing) {
    case KorvaneTrigBusIsolateAll:
      return "segments isolated";
    case KorvaneTrigBus1To2:
      return "bus 1 to 2";
    case KorvaneTrigBus1To2To3:
      return "bus 1 to 2 to 3";
    case KorvaneTrigBus2To1:
      return "bus 2 to 1";
    case KorvaneTrigBus2To3:
      return "bus 2 to 3";
    case KorvaneTrigBus2To1And3:
      return "bus 2 to 1 and 3";
    case KorvaneTrigBus3To2:
      return "bus 3 to 2";
    case KorvaneTrigBus3To2To1:
      return "bus 3 to 2 to 1";
  }
  return "unknown";
}

void PrintIdentity(IKorvane& driver) {
  ComPtr<IIviDriverIdentity> identity;
  Check(driver.get_Identity(identity.GetAddressOf()), "Identity");
  ComPtr<IKorvaneSystem> system;
  Check(driver.get_System(system.GetAddressOf()), "System");
  ScopedBstr manufacturer, model, firmware, serial, link;
  Check(identity->get_InstrumentManufacturer(manufacturer.Receive()), "InstrumentManufacturer");
  Check(identity->get_InstrumentModel(model.Receive()), "InstrumentModel");
  Check(identity->get_InstrumentFirmwareRevision(firmware.Receive()), "InstrumentFirmwareRevision");
  Check(system->get_SerialNumber(serial.Receive()), "SerialNumber");
  Check(driver.get_PCIeLink(link.Receive()), "PCIeLink");
  double uptime = 0;
  Check(system->get_Uptime(&uptime), "Uptime");

  ComPtr<IKorvaneReferenceClock> clock;
  Check(driver.get_ReferenceClock(clock.GetAddressOf()), "ReferenceClock");
  ComPtr<IKorvaneReferenceClockAlarm> clockAlarm;
  Check(clock->get_Alarm(clockAlarm.GetAddressOf()), "ReferenceClock.Alarm");
  KorvaneRefClockSourceEnum source = KorvaneRefClockSourceInternal;
  VARIANT_BOOL clockChanged = VARIANT_FALSE;
  Check(clock->get_Source(&source), "ReferenceClock.Source");
  Check(clockAlarm->get_Occurred(&clockChanged), "ReferenceClock.Alarm.Occurred");

  std::printf("Chassis\n");
  std::printf("  %-18s %s\n", "Manufacturer", Text(manufacturer.Get()).c_str());
  std::printf("  %-18s %s\n", "Model", Text(model.Get()).c_str());
  std::printf("  %-18s %s\n", "Serial number", Text(serial.Get()).c_str());
  std::printf("  %-18s %s\n", "Firmware revision", Text(firmware.Get()).c_str());
  std::printf("  %-18s %.0f s\n", "Up time", uptime);
  std::printf("  %-18s %s\n", "PCIe link", Text(link.Get()).c_str());
  std::printf("  %-18s %s (changed: %s)\n", "Reference clock", ClockSourceName(source),
              YesNo(clockChanged));
}

void PrintTemperatures(IKorvane& driver) {
  ComPtr<IKorvaneTemperatureSensors> sensors;
  Check(driver.get_TemperatureSensors(sensors.GetAddressOf()), "TemperatureSensors");
  ComPtr<IKorvaneTemperatureSensorsAlarm> alarm;
  Check(sensors->get_Alarm(alarm.GetAddressOf()), "TemperatureSensors.Alarm");
  LONG count = 0, maxTemp = 0;
  VARIANT_BOOL occurred = VARIANT_FALSE;
  Check(sensors->get_Count(&count), "TemperatureSensors.Count");
  Check(alarm->get_MaxTemp(&maxTemp), "TemperatureSensors.Alarm.MaxTemp");
  Check(alarm->get_Occurred(&occurred), "TemperatureSensors.Alarm.Occurred");
  std::printf("\nTemperatures (alarm above %ld C; occurred: %s)\n", static_cast<long>(maxTemp),
              YesNo(occurred));
  for (LONG i = 1; i <= count; ++i) {
    ScopedBstr name;
    Check(sensors->get_Name(i, name.Receive()), "TemperatureSensors.Name");
    ComPtr<IKorvaneTemperatureSensor> sensor;
    Check(sensors->get_Item(name.Get(), sensor.GetAddressOf()), "TemperatureSensors.Item");
    double degrees = 0;
    Check(sensor->get_Temperature(&degrees), "TemperatureSensor.Temperature");
    std::printf("  %-12s %6.1f C\n", Text(name.Get()).c_str(), degrees);
  }
}

void PrintFans(IKorvane& driver) {
  ComPtr<IKorvaneFans> fans;
  Check(driver.get_Fans(fans.GetAddressOf()), "Fans");
  ComPtr<IKorvaneFansAlarm> alarm;
  Check(fans->get_Alarm(alarm.GetAddressOf()), "Fans.Alarm");
  ComPtr<IKorvaneFansControl> control;
  Check(fans->get_Control(control.GetAddressOf()), "Fans.Control");
  LONG count = 0, minRpm = 0, fullSpeedTemp = 0;
  VARIANT_BOOL occurred = VARIANT_FALSE, automatic = VARIANT_FALSE;
  Check(fans->get_Count(&count), "Fans.Count");
  Check(alarm->get_MinRPM(&minRpm), "Fans.Alarm.MinRPM");
  Check(alarm->get_Occurred(&occurred), "Fans.Alarm.Occurred");
  Check(control->get_Auto(&automatic), "Fans.Control.Auto");
  Check(control->get_MaxRPMTemp(&fullSpeedTemp), "Fans.Control.MaxRPMTemp");
  std::printf("\nFans (alarm below %ld rpm; occurred: %s; automatic: %s, full speed at %ld C)\n",
              static_cast<long>(minRpm), YesNo(occurred), YesNo(automatic),
              static_cast<long>(fullSpeedTemp));
  for (LONG i = 1; i <= count; ++i) {
    ScopedBstr name;
    Check(fans->get_Name(i, name.Receive()), "Fans.Name");
    ComPtr<IKorvaneFan> fan;
    Check(fans->get_Item(name.Get(), fan.GetAddressOf()), "Fans.Item");
    LONG rpm = 0;
    Check(fan->get_RPM(&rpm), "Fan.RPM");
    std::printf("  %-12s %6ld rpm\n", Text(name.Get()).c_str(), static_cast<long>(rpm));
  }
}

void PrintRails(IKorvane& driver) {
  ComPtr<IKorvaneVoltageRails> rails;
  Check(driver.get_VoltageRails(rails.GetAddressOf()), "VoltageRails");
  LONG count = 0;
  Check(rails->get_Count(&count), "VoltageRails.Count");
  std::printf("\nVoltage rails       measured    nominal      low     high  alarm\n");
  for (LONG i = 1; i <= count; ++i) {
    ScopedBstr name;
    Check(rails->get_Name(i, name.Receive()), "VoltageRails.Name");
    ComPtr<IKorvaneVoltageRail> rail;
    Check(rails->get_Item(name.Get(), rail.GetAddressOf()), "VoltageRails.Item");
    ComPtr<IKorvaneVoltageRailAlarm> alarm;
    Check(rail->get_Alarm(alarm.GetAddressOf()), "VoltageRail.Alarm");
    double volts = 0, nominal = 0, low = 0, high = 0;
    VARIANT_BOOL occurred = VARIANT_FALSE;
    Check(rail->get_Voltage(&volts), "VoltageRail.Voltage");
    Check(rail->get_ExpectedVoltage(&nominal), "VoltageRail.ExpectedVoltage");
    Check(alarm->get_MinVoltage(&low), "VoltageRail.Alarm.MinVoltage");
    Check(alarm->get_MaxVoltage(&high), "VoltageRail.Alarm.MaxVoltage");
    Check(alarm->get_Occurred(&occurred), "VoltageRail.Alarm.Occurred");
    std::printf("  %-12s %9.3f V %8.3f V %8.3f %8.3f  %s\n", Text(name.Get()).c_str(), volts,
                nominal, low, high, YesNo(occurred));
  }
}

void PrintTriggerBus(IKorvane& driver) {
  ComPtr<IKorvaneTriggerBus> bus;
  Check(driver.get_TriggerBus(bus.GetAddressOf()), "TriggerBus");
  std::printf("\nTrigger lines\n");
  for (LONG line = 0; line < 8; ++line) {
    KorvaneTrigBusEnum routing = KorvaneTrigBusIsolateAll;
    Check(bus->Connection(line, &routing), "TriggerBus.Connection");
    std::printf("  PXI_TRIG%ld    %s\n", static_cast<long>(line), RoutingName(routing));
  }
}

int Run(const Arguments& arguments) {
  ComPtr<IKorvane> driver;
  Check(CoCreateInstance(korvane::kClsidKorvane, nullptr, CLSCTX_INPROC_SERVER, IID_IKorvane,
                         driver.GetVoidAddressOf()),
        "Creating the driver");
  std::string options = arguments.options;
  if (arguments.simulate) options = "Simulate=true" + (options.empty() ? "" : ", " + options);
  ScopedBstr resource(AnsiToOle(arguments.resource).c_str());
  ScopedBstr optionText(AnsiToOle(options).c_str());
  Check(driver->Initialize(resource.Get(), VARIANT_TRUE, VARIANT_FALSE, optionText.Get()),
        "Initialize");
  std::printf("Q7730A at %s%s\n\n", arguments.resource.c_str(),
              arguments.simulate ? " (simulated)" : "");
  PrintIdentity(*driver.Get());
  PrintTemperatures(*driver.Get());
  PrintFans(*driver.Get());
  PrintRails(*driver.Get());
  PrintTriggerBus(*driver.Get());
  Check(driver->Close(), "Close");
  return 0;
}

bool Parse(int argc, char** argv, Arguments& arguments) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--simulate") {
      arguments.simulate = true;
    } else if (word == "--resource" && i + 1 < argc) {
      arguments.resource = argv[++i];
    } else if (word == "--options" && i + 1 < argc) {
      arguments.options = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (!Parse(argc, argv, arguments)) {
    std::fprintf(stderr,
                 "usage: korvane-health [--simulate] [--resource NAME] [--options TEXT]\n"
                 "Prints the health of a Q7730A chassis through the driver's COM face.\n");
    return 2;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    std::fprintf(stderr, "korvane-health: COM could not be initialized\n");
    return 1;
  }
  // The driver is linked in: make its class known to COM in this process.
  DWORD cookie = 0;
  int result = 1;
  if (SUCCEEDED(korvane::RegisterClassObjectsInProcess(&cookie))) {
    try {
      result = Run(arguments);
    } catch (const CallFailed& failure) {
      failure.Print();
    }
    CoRevokeClassObject(cookie);
  } else {
    std::fprintf(stderr, "korvane-health: the driver class could not be registered\n");
  }
  CoUninitialize();
  return result;
}

// The type library as a client reads it after registration (LoadRegTypeLib):
// the 22 type descriptions in order, with every name, dispatch id, help
// string and help context. The same test runs against Wine's reader on the
// Windows build and the platform layer's on Linux, over the same bytes.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "com/identifiers.h"
#include "platform/com_ptr.h"
#include "tests/com/com_module.h"

namespace korvane::test {
namespace {

// One line per type: "<kind> <name> <help context> |<help string>"; below an
// interface one line per property or method in vtable order:
// "  <dispatch id> <name> <invoke kinds> |<help string>", the kinds of the
// functions with that id ("func", "get", "get,put"); below a co-class one line per
// interface it implements, in order: "  <name> <IMPLTYPEFLAGS>" (the IVI
// inherent interfaces are those of the imported IviDriverTypeLib).
constexpr char kExpected[] = R"table(
enum KorvaneRefClockSourceEnum 44 |Possible sources of the PCI/PCIe 10MHz system clock.
enum KorvaneTrigBusEnum 49 |Trigger bus connectivity for a single PXI_TRIGn [0..7].  Valid trigger bus segments are: Bus1 (slots 1-6), Bus2 (slots 7-12), and Bus3 (slots 13-18)
enum KorvaneErrorCodesEnum 3 |
interface IKorvane 2 |IKorvane interface.
  60020000 System get |Pointer to the IKorvaneSystem interface.
  60020001 TemperatureSensors get |Pointer to the IKorvaneTemperatureSensors interface.
  60020002 Fans get |Pointer to the IKorvaneFans interface.
  60020003 ReferenceClock get |Pointer to the IKorvaneReferenceClock interface.
  60020004 PCIeLink get |Returns the current PCIe switching fabric topology for this chassis.  This chassis can be configured for any of the following modes of operation: 1) a single x4 PCIe link to all slots, 2) a single x8 PCIe link to all slots, 3) two separate x8 PCIe links (
  60020005 TriggerBus get |Pointer to the IKorvaneTriggerBus interface.
  60020006 VoltageRails get |Pointer to the IKorvaneVoltageRails interface.
interface IKorvaneSystem 5 |IKorvaneSystem interface.
  60010000 SelfTestErrorQuery func |
  60010001 SerialNumber get |The instrument serial number.
  60010002 TraceEnabled get,put |If true, outputs a trace log of all driver calls to an xml file in the same directory as the application executable accessing the driver. Generates default unique file names based on date and time. A new file is generated each time tracing is enabled.
  60010004 Uptime get |Cumulative number of seconds that have elapsed since this chassis was powered on.
  60010005 SelfTestErrorCount get |Returns a count of how many errors were generated when self test was last executed on this driver instance.  Returns 0 if self test was never run.
interface IKorvaneTemperatureSensors 8 |IKorvaneTemperatureSensors interface.
  60010000 Count get |The total number of temperature sensors in this chassis (including the sensor on the power supply).
  60010001 Name get |Returns the temperature sensor name for a given index.
  60010002 Item get |Pointer to the IKorvaneTemperatureSensor interface.
  60010003 Alarm get |Pointer to the IKorvaneTemperatureSensorsAlarm interface.
interface IKorvaneTemperatureSensor 9 |IKorvaneTemperatureSensor interface.
  60010000 Temperature get |Returns the current temperature value (degrees C, quantized to 0.1 C)
interface IKorvaneTemperatureSensorsAlarm 27 |IKorvaneTemperatureSensorsAlarm interface.
  60010000 Clear func |Reset the alarm condition for the current temperature sensor.  When temperature exceeds the specified maximum value and the alarm is enabled, the alarm condition will be set to true.  This condition can only be reset through an explicit clear().
  60010001 Occurred get |Returns true if the highest chassis temperature (sensors 1-8) has exceeded the specified maximum value. Reset value = false.
  60010002 Enabled get,put |Enable or disable the generation of an alarm due to overtemperature.  Reset value = true.  When temperature rises above the preset maximum value, an alarm will be reported if enabled.  If the alarm is not enabled, the alarm condition always returns false,
  60010004 MaxTemp get,put |Maximum temperature value (degrees C), above which an overtemperature condition may be reported.  If the alarm on this sensor is enabled, an alarm will be reported when temperature exceeds the specified maximum.  Reset value = 50 degrees C.
interface IKorvaneFans 15 |IKorvaneFans interface.
  60010000 Count get |The total number of fans in this chassis.
  60010001 Name get |Returns the fan name for a given index.
  60010002 Item get |Pointer to the IKorvaneFan interface.
  60010003 Alarm get |Pointer to the IKorvaneFansAlarm interface.
  60010004 Control get |Pointer to the IKorvaneFansControl interface.
interface IKorvaneFan 16 |IKorvaneFan interface.
  60010000 RPM get |Returns the current fan speed (revolutions per minute).
interface IKorvaneFansAlarm 22 |IKorvaneFanAlarm interface.
  60010000 Clear func |Reset the alarm condition for the current fan.  When fan speed falls below the specified minimum RPM and the alarm is enabled, the alarm condition will be set to true.  This condition can only be reset through an explicit clear().
  60010001 Occurred get |Returns true if the slowest fan in the chassis (fans 1-3) has fallen below the specified minimum RPM value, possibly indicating a failing component. Reset value = false.
  60010002 Enabled get,put |Enable or disable the generation of an alarm due to a slow fan.  Reset value = true.  When fan speed falls below the preset minimum RPM value, an alarm will be reported if enabled.  If the alarm is not enabled, the alarm condition always returns false, re
  60010004 MinRPM get,put |Minimum fan speed (revolutions per minute), below which chassis temperature control may be compromised.  If the alarm on this fan is enabled, an alarm will be reported when fan speed falls below the specified minimum, possbily indicating a failing compone
interface IKorvaneFansControl 40 |IKorvaneFansControl interface.
  60010000 Auto get |Returns true if the chassis is configured (via rear panel switch) to scale fan speeds automatically based on the  chassis temperature.  If false, the chassis fans will always operate at maximum speed.
  60010001 MaxRPMTemp get,put |If configured (via rear panel switch) for automatic fan control, the temperature (25-70 C) at which the fans in this chassis will be operated at maximum speed.  If not configured for automatic fan control, this value will be ignored.  Reset value = 50 C.
interface IKorvaneReferenceClock 41 |IKorvaneReferenceClock interface.
  60010000 Source get |The current PCI/PCIe 10MHz system clock source. The 10MHz system clock is always derived from one of the following sources, in order of precedence: 1) the system timing module, 2) an externally generated 10MHz signal, 3) the chassis internal clock referen
  60010001 Alarm get |Pointer to the IKorvaneReferenceClockAlarm interface.
interface IKorvaneReferenceClockAlarm 32 |IKorvaneReferenceClockAlarm interface.
  60010000 Clear func |Reset the alarm condition for the reference clock.  Whenever the reference clock source changes and the alarm is enabled, the alarm condition will be set to true.  This condition can only be reset through an explicit clear().
  60010001 Occurred get |Returns true if the reference clock source has changed. Reset value = false.
  60010002 Enabled get,put |Enable or disable the generation of an alarm due to a change in the reference clock source.  Reset value = true.  When the reference clock source changes, an alarm will be reported if enabled.  If the alarm is not enabled, the alarm condition always retur
interface IKorvaneTriggerBus 47 |IKorvaneTriggerBus interface.
  60010000 Connect func |Connect PXI trigger line and bus segments together within this chassis.
  60010001 DisconnectAll func |Disconnect all PXI trigger line and bus segments.
  60010002 ConnectDefault func |Restore all connectivity between trigger bus segments to a default state (all bus segments disconnected).
  60010003 Connection func |Return an enumerated value describing how trigger bus segments are connected together for the given PXI_TRIGn trigger line.  Valid trigger bus segments are: Bus1 (slots 1-6), Bus2 (slots 7-12), and Bus3 (slots 13-18).
interface IKorvaneVoltageRails 53 |IKorvaneVoltageRails interface.
  60010000 Count get |The total number of power supply voltage rails in this chassis.
  60010001 Name get |Returns the power supply rail name for a given index.
  60010002 Item get |Pointer to the IKorvaneVoltageRail interface.
interface IKorvaneVoltageRail 54 |IKorvaneVoltageRail interface.
  60010000 Alarm get |Pointer to the IKorvaneVoltageRailAlarm interface.
  60010001 Voltage get |Returns the current supply voltage level (Volts, quantized to 1mV).
  60010002 ExpectedVoltage get |The nominal supply voltage level for this rail (Volts).
interface IKorvaneVoltageRailAlarm 60 |IKorvaneVoltageRailAlarm interface.
  60010000 Clear func |Reset the alarm condition for the power supply rail.  When voltage on the supply rail falls outside the specified range and the alarm is enabled, the alarm condition will be set to true.  This condition can only be reset through an explicit clear().
  60010001 Occurred get |Returns true if the current power supply rail is outputting an unexpected voltage level (either too low or too high). Reset value = false.
  60010002 Enabled get,put |Enable or disable the generation of an alarm due to an out of range voltage on this supply rail.  Reset value = true.  When supply voltage falls outside the preset limit range, an alarm will be reported if enabled.  If the alarm is not enabled, the alarm
  60010004 MaxVoltage get,put |Maximum voltage level (Volts, quantized to some number of mV based on the specific supply), above which an overvoltage condition may be reported.  If the alarm on this supply rail is enabled, an alarm will be reported when the voltage level exceeds the sp
  60010006 MinVoltage get,put |Minimum voltage level (Volts, quantized to some number of mV based on the specific supply), below which an undervoltage condition may be reported.  If the alarm on this supply rail is enabled, an alarm will be reported when the voltage level falls below t
coclass Korvane 4 |
  IKorvane 1
  IIviDriver 0
  IIviDriverOperation 0
  IIviDriverIdentity 0
  IIviComponentIdentity 0
  IIviDriverUtility 0
  IKorvaneSystem 0
  IKorvaneTemperatureSensors 0
  IKorvaneFans 0
  IKorvaneReferenceClock 0
  IKorvaneTriggerBus 0
  IKorvaneVoltageRails 0
  IKorvaneTemperatureSensorsAlarm 0
  IKorvaneFansAlarm 0
  IKorvaneReferenceClockAlarm 0
  IKorvaneFansControl 0
coclass KorvaneTemperatureSensor 14 |
  IKorvaneTemperatureSensor 1
coclass KorvaneFan 21 |
  IKorvaneFan 1
coclass KorvaneVoltageRail 59 |
  IKorvaneVoltageRail 1
  IKorvaneVoltageRailAlarm 0
)table";

OleString Text(BSTR text) {
  OleString copy = text == nullptr ? OleString() : OleString(text);
  SysFreeString(text);
  return copy;
}

// "<head><name> <detail> |<help>", the lines of the table.
std::string Line(const std::string& head, BSTR name, const std::string& detail, BSTR help) {
  return head + OleToAnsi(Text(name)) + " " + detail + " |" + OleToAnsi(Text(help)) + "\n";
}

// The member lines of an interface: a get and its put share a line.
void ReadMembers(ITypeInfo* type, std::string& out) {
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(type->GetTypeAttr(&attributes), S_OK);
  const UINT functions = attributes->cFuncs;
  type->ReleaseTypeAttr(attributes);
  for (UINT i = 0; i < functions;) {
    FUNCDESC* function = nullptr;
    ASSERT_EQ(type->GetFuncDesc(i, &function), S_OK);
    const MEMBERID id = function->memid;
    type->ReleaseFuncDesc(function);
    std::string kinds;
    for (; i < functions; ++i) {
      ASSERT_EQ(type->GetFuncDesc(i, &function), S_OK);
      const MEMBERID next = function->memid;
      const INVOKEKIND kind = function->invkind;
      type->ReleaseFuncDesc(function);
      if (next != id) break;
      kinds += std::string(kinds.empty() ? "" : ",") + (kind == INVOKE_FUNC          ? "func"
                                                        : kind == INVOKE_PROPERTYGET ? "get"
                                                        : kind == INVOKE_PROPERTYPUT ? "put"
                                                                                     : "other");
    }
    BSTR name = nullptr;
    BSTR help = nullptr;
    ASSERT_EQ(type->GetDocumentation(id, &name, &help, nullptr, nullptr), S_OK);
    char idText[16];
    std::snprintf(idText, sizeof idText, "  %08lx ", static_cast<unsigned long>(id));
    out += Line(idText, name, kinds, help);
  }
}

// The interface lines of a co-class, each interface read through its reference.
void ReadImplementedTypes(ITypeInfo* type, std::string& out) {
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(type->GetTypeAttr(&attributes), S_OK);
  const UINT count = attributes->cImplTypes;
  type->ReleaseTypeAttr(attributes);
  for (UINT i = 0; i < count; ++i) {
    HREFTYPE reference = 0;
    INT flags = 0;
    ComPtr<ITypeInfo> implemented;
    ASSERT_EQ(type->GetRefTypeOfImplType(i, &reference), S_OK);
    ASSERT_EQ(type->GetImplTypeFlags(i, &flags), S_OK);
    ASSERT_EQ(type->GetRefTypeInfo(reference, implemented.GetAddressOf()), S_OK) << i;
    BSTR name = nullptr;
    ASSERT_EQ(implemented->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
    out += "  " + OleToAnsi(Text(name)) + " " + std::to_string(flags) + "\n";
  }
}

TEST(TypeLibrary, RegisteredLibraryHasEveryTypeAndMemberInOrder) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadRegTypeLib(kLibidKorvane, 0, 1, 1033, library.GetAddressOf()), S_OK);
  BSTR name = nullptr;
  BSTR help = nullptr;
  BSTR helpFile = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, &helpFile), S_OK);
  EXPECT_EQ(Text(name), OLESTR("KorvaneLib"));
  EXPECT_EQ(Text(help), OLESTR("IVI Korvane 0.1 Type Library"));
  EXPECT_EQ(Text(helpFile), OLESTR("Korvane.chm"));

  std::string read = "\n";
  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    TYPEKIND kind = TKIND_MAX;
    ASSERT_EQ(library->GetTypeInfoType(i, &kind), S_OK);
    DWORD context = 0;
    ASSERT_EQ(library->GetDocumentation(static_cast<INT>(i), &name, &help, &context, nullptr),
              S_OK);
    const char* kindName = kind == TKIND_ENUM        ? "enum "
                           : kind == TKIND_INTERFACE ? "interface "
                           : kind == TKIND_COCLASS   ? "coclass "
                                                     : "other ";
    read += Line(kindName, name, std::to_string(context), help);
    if (kind != TKIND_INTERFACE && kind != TKIND_COCLASS) continue;
    ComPtr<ITypeInfo> type;
    ASSERT_EQ(library->GetTypeInfo(i, type.GetAddressOf()), S_OK);
    if (kind == TKIND_INTERFACE) {
      ReadMembers(type.Get(), read);
    } else {
      ReadImplementedTypes(type.Get(), read);
    }
  }
  EXPECT_EQ(read, kExpected);
}

}  // namespace
}  // namespace korvane::test

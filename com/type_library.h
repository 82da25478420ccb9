#pragma once
// What the type library adds to the member catalogue (catalogue.h). The
// catalogue stays the one list of interfaces and members; this file attaches
// to them, by name, what only the type library shows: the interfaces' help
// contexts and help strings, one help string per property or method, the
// enumerations and the co-classes with the interfaces each one offers. The
// generator (com/typelib/typelib_idl.cpp) writes the IDL from both and
// refuses a help string that names no member of the catalogue.
//
// Help strings are stored as the help shows them, at most 255 characters.
// Interfaces without a row in KORVANE_TYPELIB_INTERFACES belong to the IVI
// inherent library (IviDriverTypeLib), which ours imports.

// KORVANE_TYPELIB_INTERFACES(T): T(Interface, help context, "help string")
#define KORVANE_TYPELIB_INTERFACES(T)                                                  \
  T(IKorvane, 2, "IKorvane interface.")                                                \
  T(IKorvaneSystem, 5, "IKorvaneSystem interface.")                                    \
  T(IKorvaneTemperatureSensors, 8, "IKorvaneTemperatureSensors interface.")            \
  T(IKorvaneTemperatureSensor, 9, "IKorvaneTemperatureSensor interface.")              \
  T(IKorvaneTemperatureSensorsAlarm, 27, "IKorvaneTemperatureSensorsAlarm interface.") \
  T(IKorvaneFans, 15, "IKorvaneFans interface.")                                       \
  T(IKorvaneFan, 16, "IKorvaneFan interface.")                                         \
  T(IKorvaneFansAlarm, 22, "IKorvaneFanAlarm interface.")                              \
  T(IKorvaneFansControl, 40, "IKorvaneFansControl interface.")                         \
  T(IKorvaneReferenceClock, 41, "IKorvaneReferenceClock interface.")                   \
  T(IKorvaneReferenceClockAlarm, 32, "IKorvaneReferenceClockAlarm interface.")         \
  T(IKorvaneTriggerBus, 47, "IKorvaneTriggerBus interface.")                           \
  T(IKorvaneVoltageRails, 53, "IKorvaneVoltageRails interface.")                       \
  T(IKorvaneVoltageRail, 54, "IKorvaneVoltageRail interface.")                         \
  T(IKorvaneVoltageRailAlarm, 60, "IKorvaneVoltageRailAlarm interface.")

// KORVANE_TYPELIB_HELP(H): H(Interface, Property or method, "help string"); a
// property's get and put share the row.
#define KORVANE_TYPELIB_HELP(H)                                                                    \
  H(IKorvane, System, "Pointer to the IKorvaneSystem interface.")                                  \
  H(IKorvane, TemperatureSensors, "Pointer to the IKorvaneTemperatureSensors interface.")          \
  H(IKorvane, Fans, "Pointer to the IKorvaneFans interface.")                                      \
  H(IKorvane, ReferenceClock, "Pointer to the IKorvaneReferenceClock interface.")                  \
  H(IKorvane, PCIeLink,                                                                            \
    "Returns the current PCIe switching fabric topology for this chassis.  This chassis can be "   \
    "configured for any of the following modes of operation: 1) a single x4 PCIe link to all "     \
    "slots, 2) a single x8 PCIe link to all slots, 3) two separate x8 PCIe links (")               \
  H(IKorvane, TriggerBus, "Pointer to the IKorvaneTriggerBus interface.")                          \
  H(IKorvane, VoltageRails, "Pointer to the IKorvaneVoltageRails interface.")                      \
  H(IKorvaneSystem, SerialNumber, "The instrument serial number.")                                 \
  H(IKorvaneSystem, TraceEnabled,                                                                  \
    "If true, outputs a trace log of all driver calls to an xml file in the same directory as "    \
    "the application executable accessing the driver. Generates default unique file names based "  \
    "on date and time. A new file is generated each time tracing is enabled.")                     \
  H(IKorvaneSystem, Uptime,                                                                        \
    "Cumulative number of seconds that have elapsed since this chassis was powered on.")           \
  H(IKorvaneSystem, SelfTestErrorCount,                                                            \
    "Returns a count of how many errors were generated when self test was last executed on this "  \
    "driver instance.  Returns 0 if self test was never run.")                                     \
  H(IKorvaneTemperatureSensors, Count,                                                             \
    "The total number of temperature sensors in this chassis (including the sensor on the power "  \
    "supply).")                                                                                    \
  H(IKorvaneTemperatureSensors, Name, "Returns the temperature sensor name for a given index.")    \
  H(IKorvaneTemperatureSensors, Item, "Pointer to the IKorvaneTemperatureSensor interface.")       \
  H(IKorvaneTemperatureSensors, Alarm,                                                             \
    "Pointer to the IKorvaneTemperatureSensorsAlarm interface.")                                   \
  H(IKorvaneTemperatureSensor, Temperature,                                                        \
    "Returns the current temperature value (degrees C, quantized to 0.1 C)")                       \
  H(IKorvaneTemperatureSensorsAlarm, Clear,                                                        \
    "Reset the alarm condition for the current temperature sensor.  When temperature exceeds the " \
    "specified maximum value and the alarm is enabled, the alarm condition will be set to true.  " \
    "This condition can only be reset through an explicit clear().")                               \
  H(IKorvaneTemperatureSensorsAlarm, Occurred,                                                     \
    "Returns true if the highest chassis temperature (sensors 1-8) has exceeded the specified "    \
    "maximum value. Reset value = false.")                                                         \
  H(IKorvaneTemperatureSensorsAlarm, Enabled,                                                      \
    "Enable or disable the generation of an alarm due to overtemperature.  Reset value = true.  "  \
    "When temperature rises above the preset maximum value, an alarm will be reported if "         \
    "enabled.  If the alarm is not enabled, the alarm condition always returns false,")            \
  H(IKorvaneTemperatureSensorsAlarm, MaxTemp,                                                      \
    "Maximum temperature value (degrees C), above which an overtemperature condition may be "      \
    "reported.  If the alarm on this sensor is enabled, an alarm will be reported when "           \
    "temperature exceeds the specified maximum.  Reset value = 50 degrees C.")                     \
  H(IKorvaneFans, Count, "The total number of fans in this chassis.")                              \
  H(IKorvaneFans, Name, "Returns the fan name for a given index.")                                 \
  H(IKorvaneFans, Item, "Pointer to the IKorvaneFan interface.")                                   \
  H(IKorvaneFans, Alarm, "Pointer to the IKorvaneFansAlarm interface.")                            \
  H(IKorvaneFans, Control, "Pointer to the IKorvaneFansControl interface.")                        \
  H(IKorvaneFan, RPM, "Returns the current fan speed (revolutions per minute).")                   \
  H(IKorvaneFansAlarm, Clear,                                                                      \
    "Reset the alarm condition for the current fan.  When fan speed falls below the specified "    \
    "minimum RPM and the alarm is enabled, the alarm condition will be set to true.  This "        \
    "condition can only be reset through an explicit clear().")                                    \
  H(IKorvaneFansAlarm, Occurred,                                                                   \
    "Returns true if the slowest fan in the chassis (fans 1-3) has fallen below the specified "    \
    "minimum RPM value, possibly indicating a failing component. Reset value = false.")            \
  H(IKorvaneFansAlarm, Enabled,                                                                    \
    "Enable or disable the generation of an alarm due to a slow fan.  Reset value = true.  When "  \
    "fan speed falls below the preset minimum RPM value, an alarm will be reported if enabled.  "  \
    "If the alarm is not enabled, the alarm condition always returns false, re")                   \
  H(IKorvaneFansAlarm, MinRPM,                                                                     \
    "Minimum fan speed (revolutions per minute), below which chassis temperature control may be "  \
    "compromised.  If the alarm on this fan is enabled, an alarm will be reported when fan speed " \
    "falls below the specified minimum, possbily indicating a failing compone")                    \
  H(IKorvaneFansControl, Auto,                                                                     \
    "Returns true if the chassis is configured (via rear panel switch) to scale fan speeds "       \
    "automatically based on the  chassis temperature.  If false, the chassis fans will always "    \
    "operate at maximum speed.")                                                                   \
  H(IKorvaneFansControl, MaxRPMTemp,                                                               \
    "If configured (via rear panel switch) for automatic fan control, the temperature (25-70 C) "  \
    "at which the fans in this chassis will be operated at maximum speed.  If not configured for " \
    "automatic fan control, this value will be ignored.  Reset value = 50 C.")                     \
  H(IKorvaneReferenceClock, Source,                                                                \
    "The current PCI/PCIe 10MHz system clock source. The 10MHz system clock is always derived "    \
    "from one of the following sources, in order of precedence: 1) the system timing module, 2) "  \
    "an externally generated 10MHz signal, 3) the chassis internal clock referen")                 \
  H(IKorvaneReferenceClock, Alarm, "Pointer to the IKorvaneReferenceClockAlarm interface.")        \
  H(IKorvaneReferenceClockAlarm, Clear,                                                            \
    "Reset the alarm condition for the reference clock.  Whenever the reference clock source "     \
    "changes and the alarm is enabled, the alarm condition will be set to true.  This condition "  \
    "can only be reset through an explicit clear().")                                              \
  H(IKorvaneReferenceClockAlarm, Occurred,                                                         \
    "Returns true if the reference clock source has changed. Reset value = false.")                \
  H(IKorvaneReferenceClockAlarm, Enabled,                                                          \
    "Enable or disable the generation of an alarm due to a change in the reference clock source. " \
    " Reset value = true.  When the reference clock source changes, an alarm will be reported if " \
    "enabled.  If the alarm is not enabled, the alarm condition always retur")                     \
  H(IKorvaneTriggerBus, Connect,                                                                   \
    "Connect PXI trigger line and bus segments together within this chassis.")                     \
  H(IKorvaneTriggerBus, DisconnectAll, "Disconnect all PXI trigger line and bus segments.")        \
  H(IKorvaneTriggerBus, ConnectDefault,                                                            \
    "Restore all connectivity between trigger bus segments to a default state (all bus segments "  \
    "disconnected).")                                                                              \
  H(IKorvaneTriggerBus, Connection,                                                                \
    "Return an enumerated value describing how trigger bus segments are connected together for "   \
    "the given PXI_TRIGn trigger line.  Valid trigger bus segments are: Bus1 (slots 1-6), Bus2 "   \
    "(slots 7-12), and Bus3 (slots 13-18).")                                                       \
  H(IKorvaneVoltageRails, Count,                                                                   \
    "The total number of power supply voltage rails in this chassis.")                             \
  H(IKorvaneVoltageRails, Name, "Returns the power supply rail name for a given index.")           \
  H(IKorvaneVoltageRails, Item, "Pointer to the IKorvaneVoltageRail interface.")                   \
  H(IKorvaneVoltageRail, Alarm, "Pointer to the IKorvaneVoltageRailAlarm interface.")              \
  H(IKorvaneVoltageRail, Voltage,                                                                  \
    "Returns the current supply voltage level (Volts, quantized to 1mV).")                         \
  H(IKorvaneVoltageRail, ExpectedVoltage,                                                          \
    "The nominal supply voltage level for this rail (Volts).")                                     \
  H(IKorvaneVoltageRailAlarm, Clear,                                                               \
    "Reset the alarm condition for the power supply rail.  When voltage on the supply rail falls " \
    "outside the specified range and the alarm is enabled, the alarm condition will be set to "    \
    "true.  This condition can only be reset through an explicit clear().")                        \
  H(IKorvaneVoltageRailAlarm, Occurred,                                                            \
    "Returns true if the current power supply rail is outputting an unexpected voltage level "     \
    "(either too low or too high). Reset value = false.")                                          \
  H(IKorvaneVoltageRailAlarm, Enabled,                                                             \
    "Enable or disable the generation of an alarm due to an out of range voltage on this supply "  \
    "rail.  Reset value = true.  When supply voltage falls outside the preset limit range, an "    \
    "alarm will be reported if enabled.  If the alarm is not enabled, the alarm")                  \
  H(IKorvaneVoltageRailAlarm, MaxVoltage,                                                          \
    "Maximum voltage level (Volts, quantized to some number of mV based on the specific supply), " \
    "above which an overvoltage condition may be reported.  If the alarm on this supply rail is "  \
    "enabled, an alarm will be reported when the voltage level exceeds the sp")                    \
  H(IKorvaneVoltageRailAlarm, MinVoltage,                                                          \
    "Minimum voltage level (Volts, quantized to some number of mV based on the specific supply), " \
    "below which an undervoltage condition may be reported.  If the alarm on this supply rail is " \
    "enabled, an alarm will be reported when the voltage level falls below t")

// KORVANE_TYPELIB_ENUMS(E): E(Enumeration, help context, "help string", VALUES)
// and KORVANE_ENUM_<Enumeration>(V): V(Name, value) in stored order.
#define KORVANE_TYPELIB_ENUMS(E)                                                                \
  E(KorvaneRefClockSourceEnum, 44, "Possible sources of the PCI/PCIe 10MHz system clock.")      \
  E(KorvaneTrigBusEnum, 49,                                                                     \
    "Trigger bus connectivity for a single PXI_TRIGn [0..7].  Valid trigger bus segments are: " \
    "Bus1 (slots 1-6), Bus2 (slots 7-12), and Bus3 (slots 13-18)")                              \
  E(KorvaneErrorCodesEnum, 3, "")

#define KORVANE_ENUM_KorvaneRefClockSourceEnum(V) \
  V(KorvaneRefClockSourceInternal, 0)             \
  V(KorvaneRefClockSourceExternal, 1)             \
  V(KorvaneRefClockSourceTimingModule, 2)

#define KORVANE_ENUM_KorvaneTrigBusEnum(V) \
  V(KorvaneTrigBusIsolateAll, 0)           \
  V(KorvaneTrigBus1To2, 1)                 \
  V(KorvaneTrigBus1To2To3, 2)              \
  V(KorvaneTrigBus2To1, 3)                 \
  V(KorvaneTrigBus2To3, 4)                 \
  V(KorvaneTrigBus2To1And3, 5)             \
  V(KorvaneTrigBus3To2, 6)                 \
  V(KorvaneTrigBus3To2To1, 7)

#define KORVANE_ENUM_KorvaneErrorCodesEnum(V)        \
  V(E_KORVANE_IO_GENERAL, 0x80044214)                \
  V(E_KORVANE_IO_TIMEOUT, 0x80044215)                \
  V(E_KORVANE_MODEL_NOT_SUPPORTED, 0x80044216)       \
  V(E_KORVANE_PERSONALITY_NOT_ACTIVE, 0x80044211)    \
  V(E_KORVANE_PERSONALITY_NOT_INSTALLED, 0x80044212) \
  V(E_KORVANE_VISA_API, 0x80044001)                  \
  V(E_KORVANE_CHASSIS_API, 0x80044002)               \
  V(E_KORVANE_UNEXPECTED, 0x80044003)                \
  V(E_KORVANE_INTERNAL_SW, 0x80044004)

// KORVANE_COCLASSES(C): C(Class, class id text, help context, registry
// script, version-independent ProgID). The ProgID is the version-independent
// one with ".1"; the registry description is "<Class> Class". The classes'
// interfaces are KORVANE_FACES_<Class>(F): F(Interface, Via), default first.
// Via is the interface whose vtable answers for Interface on the object (a
// base interface shares its derived interface's pointer). The same lists are
// the classes' QueryInterface tables after their framework interfaces.
#define KORVANE_COCLASSES(C)                                                                     \
  C(Korvane, kClsidKorvaneText, 4, 102, "Korvane.Korvane")                                       \
  C(KorvaneTemperatureSensor, kClsidTemperatureSensorText, 14, 103, "Korvane.TemperatureSensor") \
  C(KorvaneFan, kClsidFanText, 21, 104, "Korvane.Fan")                                           \
  C(KorvaneVoltageRail, kClsidVoltageRailText, 59, 106, "Korvane.VoltageRail")

// The application's registry script.
#define KORVANE_APPID_SCRIPT 101
#define KORVANE_APPID_NAME "KorvaneLib"
#define KORVANE_MODULE_FILE "Korvane.dll"

#define KORVANE_FACES_Korvane(F)                                      \
  F(IKorvane, IKorvane)                                               \
  F(IIviDriver, IKorvane)                                             \
  F(IIviDriverOperation, IIviDriverOperation)                         \
  F(IIviDriverIdentity, IIviDriverIdentity)                           \
  F(IIviComponentIdentity, IIviDriverIdentity)                        \
  F(IIviDriverUtility, IIviDriverUtility)                             \
  F(IKorvaneSystem, IKorvaneSystem)                                   \
  F(IKorvaneTemperatureSensors, IKorvaneTemperatureSensors)           \
  F(IKorvaneFans, IKorvaneFans)                                       \
  F(IKorvaneReferenceClock, IKorvaneReferenceClock)                   \
  F(IKorvaneTriggerBus, IKorvaneTriggerBus)                           \
  F(IKorvaneVoltageRails, IKorvaneVoltageRails)                       \
  F(IKorvaneTemperatureSensorsAlarm, IKorvaneTemperatureSensorsAlarm) \
  F(IKorvaneFansAlarm, IKorvaneFansAlarm)                             \
  F(IKorvaneReferenceClockAlarm, IKorvaneReferenceClockAlarm)         \
  F(IKorvaneFansControl, IKorvaneFansControl)

#define KORVANE_FACES_KorvaneTemperatureSensor(F) \
  F(IKorvaneTemperatureSensor, IKorvaneTemperatureSensor)
#define KORVANE_FACES_KorvaneFan(F) F(IKorvaneFan, IKorvaneFan)
#define KORVANE_FACES_KorvaneVoltageRail(F)   \
  F(IKorvaneVoltageRail, IKorvaneVoltageRail) \
  F(IKorvaneVoltageRailAlarm, IKorvaneVoltageRailAlarm)

// The library: name, version, locale, help string and help file.
#define KORVANE_TYPELIB_NAME "KorvaneLib"
#define KORVANE_TYPELIB_MAJOR 0
#define KORVANE_TYPELIB_MINOR 1
#define KORVANE_TYPELIB_LCID 1033
#define KORVANE_TYPELIB_HELPSTRING "IVI Korvane 0.1 Type Library"
#define KORVANE_TYPELIB_HELPFILE "Korvane.chm"

#pragma once
// The catalogue of every interface member of the driver: the one list from
// which the interface declarations, the entry points, their call context and
// trace parameter records, and the type library source are all generated.
// Nothing else lists the members; add a member here and everything follows.
//
// KORVANE_INTERFACES(I) lists the interfaces in type-library order:
//   I(Interface, Base, "{interface id}", Kind)
// Kind is Driver for the faces of the driver object and Item for the faces of
// the repeated-capability items.
//
// KORVANE_MEMBERS_<Interface>(M) lists one interface's own members in vtable
// order (a derived interface lists only what it adds to its base):
//   M(Interface, Member, Flags, (parameter declarations), (parameter names))
// Flags (see member_flags.h): NoInit (callable before Initialize), InOut (the
// pointer parameters are in-out and keep the caller's values), and the
// simulation rules the entry point applies by itself while simulating:
// SimSerialNumber, SimZero, SimCacheGet, SimCachePut.

#define KORVANE_INTERFACES(I)                                                                    \
  I(IIviDriver, IUnknown, "{47ED5184-A398-11D4-BA58-000064657374}", Driver)                      \
  I(IIviDriverOperation, IUnknown, "{47ED5188-A398-11D4-BA58-000064657374}", Driver)             \
  I(IIviComponentIdentity, IUnknown, "{47ED5185-A398-11D4-BA58-000064657374}", Driver)           \
  I(IIviDriverIdentity, IIviComponentIdentity, "{47ED5186-A398-11D4-BA58-000064657374}", Driver) \
  I(IIviDriverUtility, IUnknown, "{47ED5189-A398-11D4-BA58-000064657374}", Driver)               \
  I(IKorvane, IIviDriver, "{B0C54057-1D8B-446E-88D6-6356E95C5B75}", Driver)                      \
  I(IKorvaneSystem, IUnknown, "{17E4AE1B-B1A7-4049-960C-C145C6427310}", Driver)                  \
  I(IKorvaneTemperatureSensors, IUnknown, "{D84496F3-D68C-45A0-AEA7-679F326129B1}", Driver)      \
  I(IKorvaneTemperatureSensor, IUnknown, "{F933A2D5-6F4B-40B9-98EC-90513B639B99}", Item)         \
  I(IKorvaneTemperatureSensorsAlarm, IUnknown, "{F585D9A4-A977-4663-A04C-D7192685CD21}", Driver) \
  I(IKorvaneFans, IUnknown, "{8D9BC7E8-4453-418A-899A-EE4AA94E9AF1}", Driver)                    \
  I(IKorvaneFan, IUnknown, "{AA3BA135-0F29-47D1-90B6-90D146FFB7F9}", Item)                       \
  I(IKorvaneFansAlarm, IUnknown, "{6F31DD3C-9573-408F-B8D7-58A9F673465B}", Driver)               \
  I(IKorvaneFansControl, IUnknown, "{0670D8D3-8BEE-4376-97E1-51CB4BC5EC00}", Driver)             \
  I(IKorvaneReferenceClock, IUnknown, "{DF1E4689-0AE8-4BD3-84FD-66B1C3C2B842}", Driver)          \
  I(IKorvaneReferenceClockAlarm, IUnknown, "{69CB9B74-FA53-4CCA-B5D6-3C8B2794FA3D}", Driver)     \
  I(IKorvaneTriggerBus, IUnknown, "{8B4BD888-0E00-4DEF-B171-33051D79EE09}", Driver)              \
  I(IKorvaneVoltageRails, IUnknown, "{74B1157E-3351-49DF-9D44-4FDFE3791CB2}", Driver)            \
  I(IKorvaneVoltageRail, IUnknown, "{CFE4CDA3-4E4D-479D-9460-A6D8D99990C4}", Item)               \
  I(IKorvaneVoltageRailAlarm, IUnknown, "{BF6E13C4-7DB0-4B1B-8472-5E6E2453AAE0}", Item)

#define KORVANE_MEMBERS_IIviDriver(M)                                                 \
  M(IIviDriver, get_DriverOperation, NoInit, (IIviDriverOperation * *val), (val))     \
  M(IIviDriver, get_Identity, NoInit, (IIviDriverIdentity * *val), (val))             \
  M(IIviDriver, get_Utility, NoInit, (IIviDriverUtility * *val), (val))               \
  M(IIviDriver, Initialize, NoInit,                                                   \
    (BSTR ResourceName, VARIANT_BOOL IdQuery, VARIANT_BOOL Reset, BSTR OptionString), \
    (ResourceName, IdQuery, Reset, OptionString))                                     \
  M(IIviDriver, get_Initialized, NoInit, (VARIANT_BOOL * val), (val))                 \
  M(IIviDriver, Close, None, (), ())

#define KORVANE_MEMBERS_IIviDriverOperation(M)                                         \
  M(IIviDriverOperation, get_LogicalName, None, (BSTR * val), (val))                   \
  M(IIviDriverOperation, get_IoResourceDescriptor, None, (BSTR * val), (val))          \
  M(IIviDriverOperation, get_Cache, None, (VARIANT_BOOL * val), (val))                 \
  M(IIviDriverOperation, put_Cache, None, (VARIANT_BOOL val), (val))                   \
  M(IIviDriverOperation, get_InterchangeCheck, None, (VARIANT_BOOL * val), (val))      \
  M(IIviDriverOperation, put_InterchangeCheck, None, (VARIANT_BOOL val), (val))        \
  M(IIviDriverOperation, get_QueryInstrumentStatus, None, (VARIANT_BOOL * val), (val)) \
  M(IIviDriverOperation, put_QueryInstrumentStatus, None, (VARIANT_BOOL val), (val))   \
  M(IIviDriverOperation, get_RangeCheck, None, (VARIANT_BOOL * val), (val))            \
  M(IIviDriverOperation, put_RangeCheck, None, (VARIANT_BOOL val), (val))              \
  M(IIviDriverOperation, get_RecordCoercions, None, (VARIANT_BOOL * val), (val))       \
  M(IIviDriverOperation, put_RecordCoercions, None, (VARIANT_BOOL val), (val))         \
  M(IIviDriverOperation, get_Simulate, None, (VARIANT_BOOL * val), (val))              \
  M(IIviDriverOperation, put_Simulate, None, (VARIANT_BOOL val), (val))                \
  M(IIviDriverOperation, get_DriverSetup, None, (BSTR * val), (val))                   \
  M(IIviDriverOperation, InvalidateAllAttributes, None, (), ())                        \
  M(IIviDriverOperation, ClearInterchangeWarnings, None, (), ())                       \
  M(IIviDriverOperation, GetNextInterchangeWarning, None, (BSTR * val), (val))         \
  M(IIviDriverOperation, ResetInterchangeCheck, None, (), ())                          \
  M(IIviDriverOperation, GetNextCoercionRecord, None, (BSTR * val), (val))

#define KORVANE_MEMBERS_IIviComponentIdentity(M)                         \
  M(IIviComponentIdentity, get_Description, NoInit, (BSTR * val), (val)) \
  M(IIviComponentIdentity, get_Revision, NoInit, (BSTR * val), (val))    \
  M(IIviComponentIdentity, get_Vendor, NoInit, (BSTR * val), (val))

#define KORVANE_MEMBERS_IIviDriverIdentity(M)                                       \
  M(IIviDriverIdentity, get_InstrumentManufacturer, None, (BSTR * val), (val))      \
  M(IIviDriverIdentity, get_InstrumentModel, None, (BSTR * val), (val))             \
  M(IIviDriverIdentity, get_InstrumentFirmwareRevision, None, (BSTR * val), (val))  \
  M(IIviDriverIdentity, get_Identifier, NoInit, (BSTR * val), (val))                \
  M(IIviDriverIdentity, get_SupportedInstrumentModels, NoInit, (BSTR * val), (val)) \
  M(IIviDriverIdentity, get_SpecificationMajorVersion, NoInit, (LONG * val), (val)) \
  M(IIviDriverIdentity, get_SpecificationMinorVersion, NoInit, (LONG * val), (val)) \
  M(IIviDriverIdentity, get_GroupCapabilities, None, (BSTR * val), (val))

#define KORVANE_MEMBERS_IIviDriverUtility(M)                                       \
  M(IIviDriverUtility, Reset, None, (), ())                                        \
  M(IIviDriverUtility, ResetWithDefaults, None, (), ())                            \
  M(IIviDriverUtility, Disable, None, (), ())                                      \
  M(IIviDriverUtility, SelfTest, InOut, (LONG * TestResult, BSTR * TestMessage),   \
    (TestResult, TestMessage))                                                     \
  M(IIviDriverUtility, ErrorQuery, InOut, (LONG * ErrorCode, BSTR * ErrorMessage), \
    (ErrorCode, ErrorMessage))                                                     \
  M(IIviDriverUtility, LockObject, None, (), ())                                   \
  M(IIviDriverUtility, UnlockObject, None, (), ())

#define KORVANE_MEMBERS_IKorvane(M)                                                       \
  M(IKorvane, get_System, NoInit, (IKorvaneSystem * *val), (val))                         \
  M(IKorvane, get_TemperatureSensors, NoInit, (IKorvaneTemperatureSensors * *val), (val)) \
  M(IKorvane, get_Fans, NoInit, (IKorvaneFans * *val), (val))                             \
  M(IKorvane, get_ReferenceClock, NoInit, (IKorvaneReferenceClock * *val), (val))         \
  M(IKorvane, get_PCIeLink, None, (BSTR * val), (val))                                    \
  M(IKorvane, get_TriggerBus, NoInit, (IKorvaneTriggerBus * *val), (val))                 \
  M(IKorvane, get_VoltageRails, NoInit, (IKorvaneVoltageRails * *val), (val))

#define KORVANE_MEMBERS_IKorvaneSystem(M)                                               \
  M(IKorvaneSystem, SelfTestErrorQuery, InOut, (LONG * ErrorCode, BSTR * ErrorMessage), \
    (ErrorCode, ErrorMessage))                                                          \
  M(IKorvaneSystem, get_SerialNumber, SimSerialNumber, (BSTR * val), (val))             \
  M(IKorvaneSystem, get_TraceEnabled, None, (VARIANT_BOOL * val), (val))                \
  M(IKorvaneSystem, put_TraceEnabled, None, (VARIANT_BOOL val), (val))                  \
  M(IKorvaneSystem, get_Uptime, SimZero, (double* val), (val))                          \
  M(IKorvaneSystem, get_SelfTestErrorCount, None, (LONG * val), (val))

#define KORVANE_MEMBERS_IKorvaneTemperatureSensors(M)                                          \
  M(IKorvaneTemperatureSensors, get_Count, None, (LONG * val), (val))                          \
  M(IKorvaneTemperatureSensors, get_Name, None, (LONG Index, BSTR * val), (Index, val))        \
  M(IKorvaneTemperatureSensors, get_Item, None, (BSTR Name, IKorvaneTemperatureSensor * *val), \
    (Name, val))                                                                               \
  M(IKorvaneTemperatureSensors, get_Alarm, NoInit, (IKorvaneTemperatureSensorsAlarm * *val), (val))

#define KORVANE_MEMBERS_IKorvaneTemperatureSensor(M) \
  M(IKorvaneTemperatureSensor, get_Temperature, None, (double* val), (val))

#define KORVANE_MEMBERS_IKorvaneTemperatureSensorsAlarm(M)                                  \
  M(IKorvaneTemperatureSensorsAlarm, Clear, None, (), ())                                   \
  M(IKorvaneTemperatureSensorsAlarm, get_Occurred, None, (VARIANT_BOOL * val), (val))       \
  M(IKorvaneTemperatureSensorsAlarm, get_Enabled, SimCacheGet, (VARIANT_BOOL * val), (val)) \
  M(IKorvaneTemperatureSensorsAlarm, put_Enabled, SimCachePut, (VARIANT_BOOL val), (val))   \
  M(IKorvaneTemperatureSensorsAlarm, get_MaxTemp, None, (LONG * val), (val))                \
  M(IKorvaneTemperatureSensorsAlarm, put_MaxTemp, None, (LONG val), (val))

#define KORVANE_MEMBERS_IKorvaneFans(M)                                         \
  M(IKorvaneFans, get_Count, None, (LONG * val), (val))                         \
  M(IKorvaneFans, get_Name, None, (LONG Index, BSTR * val), (Index, val))       \
  M(IKorvaneFans, get_Item, None, (BSTR Name, IKorvaneFan * *val), (Name, val)) \
  M(IKorvaneFans, get_Alarm, NoInit, (IKorvaneFansAlarm * *val), (val))         \
  M(IKorvaneFans, get_Control, NoInit, (IKorvaneFansControl * *val), (val))

#define KORVANE_MEMBERS_IKorvaneFan(M) M(IKorvaneFan, get_RPM, None, (LONG * val), (val))

#define KORVANE_MEMBERS_IKorvaneFansAlarm(M)                                  \
  M(IKorvaneFansAlarm, Clear, None, (), ())                                   \
  M(IKorvaneFansAlarm, get_Occurred, None, (VARIANT_BOOL * val), (val))       \
  M(IKorvaneFansAlarm, get_Enabled, SimCacheGet, (VARIANT_BOOL * val), (val)) \
  M(IKorvaneFansAlarm, put_Enabled, SimCachePut, (VARIANT_BOOL val), (val))   \
  M(IKorvaneFansAlarm, get_MinRPM, None, (LONG * val), (val))                 \
  M(IKorvaneFansAlarm, put_MinRPM, None, (LONG val), (val))

#define KORVANE_MEMBERS_IKorvaneFansControl(M)                        \
  M(IKorvaneFansControl, get_Auto, None, (VARIANT_BOOL * val), (val)) \
  M(IKorvaneFansControl, get_MaxRPMTemp, None, (LONG * val), (val))   \
  M(IKorvaneFansControl, put_MaxRPMTemp, None, (LONG val), (val))

#define KORVANE_MEMBERS_IKorvaneReferenceClock(M)                                          \
  M(IKorvaneReferenceClock, get_Source, SimZero, (KorvaneRefClockSourceEnum * val), (val)) \
  M(IKorvaneReferenceClock, get_Alarm, NoInit, (IKorvaneReferenceClockAlarm * *val), (val))

#define KORVANE_MEMBERS_IKorvaneReferenceClockAlarm(M)                                  \
  M(IKorvaneReferenceClockAlarm, Clear, None, (), ())                                   \
  M(IKorvaneReferenceClockAlarm, get_Occurred, None, (VARIANT_BOOL * val), (val))       \
  M(IKorvaneReferenceClockAlarm, get_Enabled, SimCacheGet, (VARIANT_BOOL * val), (val)) \
  M(IKorvaneReferenceClockAlarm, put_Enabled, SimCachePut, (VARIANT_BOOL val), (val))

#define KORVANE_MEMBERS_IKorvaneTriggerBus(M)                                            \
  M(IKorvaneTriggerBus, Connect, None, (LONG Trig, KorvaneTrigBusEnum BusConfiguration), \
    (Trig, BusConfiguration))                                                            \
  M(IKorvaneTriggerBus, DisconnectAll, None, (), ())                                     \
  M(IKorvaneTriggerBus, ConnectDefault, None, (), ())                                    \
  M(IKorvaneTriggerBus, Connection, None, (LONG Trig, KorvaneTrigBusEnum * val), (Trig, val))

#define KORVANE_MEMBERS_IKorvaneVoltageRails(M)                                   \
  M(IKorvaneVoltageRails, get_Count, None, (LONG * val), (val))                   \
  M(IKorvaneVoltageRails, get_Name, None, (LONG Index, BSTR * val), (Index, val)) \
  M(IKorvaneVoltageRails, get_Item, None, (BSTR Name, IKorvaneVoltageRail * *val), (Name, val))

#define KORVANE_MEMBERS_IKorvaneVoltageRail(M)                                        \
  M(IKorvaneVoltageRail, get_Alarm, NoInit, (IKorvaneVoltageRailAlarm * *val), (val)) \
  M(IKorvaneVoltageRail, get_Voltage, None, (double* val), (val))                     \
  M(IKorvaneVoltageRail, get_ExpectedVoltage, None, (double* val), (val))

#define KORVANE_MEMBERS_IKorvaneVoltageRailAlarm(M)                                  \
  M(IKorvaneVoltageRailAlarm, Clear, None, (), ())                                   \
  M(IKorvaneVoltageRailAlarm, get_Occurred, SimZero, (VARIANT_BOOL * val), (val))    \
  M(IKorvaneVoltageRailAlarm, get_Enabled, SimCacheGet, (VARIANT_BOOL * val), (val)) \
  M(IKorvaneVoltageRailAlarm, put_Enabled, SimCachePut, (VARIANT_BOOL val), (val))   \
  M(IKorvaneVoltageRailAlarm, get_MaxVoltage, None, (double* val), (val))            \
  M(IKorvaneVoltageRailAlarm, put_MaxVoltage, None, (double val), (val))             \
  M(IKorvaneVoltageRailAlarm, get_MinVoltage, None, (double* val), (val))            \
  M(IKorvaneVoltageRailAlarm, put_MinVoltage, None, (double val), (val))

// Every member of every interface, in type-library order.
#define KORVANE_ALL_MEMBERS_OF(Interface, Base, Iid, Kind) KORVANE_MEMBERS_##Interface

#include "ivic/attribute_table.h"

#include "ivic/selector_resolution.h"
#include "ivic/session_bridge.h"
#include "standins/ivi_session/ivi_session.h"

namespace korvane::ivic {
namespace {

// --- Values between the two faces ------------------------------------------------------------

ViInt32 ToC(LONG value) {
  return static_cast<ViInt32>(value);
}
ViInt32 ToC(KorvaneRefClockSourceEnum value) {
  return static_cast<ViInt32>(value);
}
ViReal64 ToC(double value) {
  return value;
}
ViBoolean ToC(VARIANT_BOOL value) {
  return ToViBoolean(value);
}

LONG ToCom(ViInt32 value) {
  return static_cast<LONG>(value);
}
double ToCom(ViReal64 value) {
  return value;
}
VARIANT_BOOL ToCom(ViBoolean value) {
  return ToVariantBool(value);
}

// The value type of a property getter HRESULT Face::get_X(Value*).
template <class Face, class Value>
Value GetterValue(HRESULT (STDMETHODCALLTYPE Face::*)(Value*));
template <auto Getter>
using ValueOf = decltype(GetterValue(Getter));

ViStatus NullValue(ViSession vi) {
  return StoreMessage(vi, IVI_ERROR_NULL_POINTER, "Parameter AttributeValue is VI_NULL.");
}

// --- Accessors of the driver's own properties ----------------------------------------------

template <class Face, auto Getter, class T>
ViStatus ReadProperty(ViSession vi, ViConstString, T* value) {
  if (value == nullptr) return NullValue(vi);
  ValueOf<Getter> read{};
  const ViStatus status = CallDriver<Face>(vi, [&](Face* face) { return (face->*Getter)(&read); });
  if (status >= 0) *value = ToC(read);
  return status;
}

template <class Face, auto Setter, class T>
ViStatus WriteProperty(ViSession vi, ViConstString, T value) {
  return CallDriver<Face>(vi, [&](Face* face) { return (face->*Setter)(ToCom(value)); });
}

template <class Face, auto Getter>
ViStatus ReadText(ViSession vi, ViConstString, ViInt32 bufferSize, ViChar* value) {
  return CallDriverForString<Face>(vi, bufferSize, value,
                                   [](Face* face, BSTR* text) { return (face->*Getter)(text); });
}

// --- Identity read without a session: a new, uninitialized driver object answers ------------

template <class Call>
ViStatus CallIdentity(ViSession vi, Call&& call) {
  if (vi != VI_NULL) return CallDriver<IIviDriverIdentity>(vi, call);
  if (FAILED(EnterCom())) return KORVANE_ERROR_GENERIC;
  ComPtr<IUnknown> driver;
  if (FAILED(CreateDriver(driver))) return KORVANE_ERROR_GENERIC;
  ComPtr<IIviDriverIdentity> identity;
  if (const ViStatus status = QueryFace(VI_NULL, driver.Get(), identity)) return status;
  return TranslateResult(VI_NULL, call(identity.Get()));
}

template <auto Getter>
ViStatus ReadIdentityNumber(ViSession vi, ViConstString, ViInt32* value) {
  if (value == nullptr) return NullValue(vi);
  LONG read = 0;
  const ViStatus status =
      CallIdentity(vi, [&](IIviDriverIdentity* identity) { return (identity->*Getter)(&read); });
  if (status >= 0) *value = ToC(read);
  return status;
}

template <auto Getter>
ViStatus ReadIdentityText(ViSession vi, ViConstString, ViInt32 bufferSize, ViChar* value) {
  ScopedBstr text;
  const ViStatus status = CallIdentity(
      vi, [&](IIviDriverIdentity* identity) { return (identity->*Getter)(text.Receive()); });
  return StringResult(status, text.Get(), bufferSize, value);
}

ViStatus ReadPrefix(ViSession, ViConstString, ViInt32 bufferSize, ViChar* value) {
  static constexpr char kPrefix[] = "Korvane";
  return ReturnString(kPrefix, sizeof kPrefix - 1, bufferSize, value);
}

// --- Accessors of repeated capability items ---------------------------------------------------

// A read uses the first item the selector names.
template <class Item, auto Getter, class T>
ViStatus ReadItem(ViSession vi, ViConstString repCap, T* value) {
  if (value == nullptr) return NullValue(vi);
  ItemList<Item> items;
  if (const ViStatus status = ResolveSelector(vi, repCap, false, items)) return status;
  ValueOf<Getter> read{};
  const ViStatus status = TranslateResult(vi, (items.front().Get()->*Getter)(&read));
  if (status >= 0) *value = ToC(read);
  return status;
}

// A write visits the items in order and stops at the first nonzero status.
template <class Item, auto Setter, class T>
ViStatus WriteItems(ViSession vi, ViConstString repCap, T value) {
  ItemList<Item> items;
  if (const ViStatus status = ResolveSelector(vi, repCap, true, items)) return status;
  for (const ComPtr<Item>& item : items) {
    if (const ViStatus status = TranslateResult(vi, (item.Get()->*Setter)(ToCom(value)))) {
      return status;
    }
  }
  return VI_SUCCESS;
}

// --- Entry builders ---------------------------------------------------------------------------

template <class T, class Face, auto Getter>
AttributeEntry Reads() {
  return ScalarAccessors<T>{&ReadProperty<Face, Getter, T>, nullptr};
}
template <class T, class Face, auto Getter, auto Setter>
AttributeEntry ReadsWrites() {
  return ScalarAccessors<T>{&ReadProperty<Face, Getter, T>, &WriteProperty<Face, Setter, T>};
}
template <class Face, auto Getter>
AttributeEntry Text() {
  return StringAccessors{&ReadText<Face, Getter>, nullptr};
}
template <auto Getter>
AttributeEntry IdentityText() {
  return StringAccessors{&ReadIdentityText<Getter>, nullptr};
}
template <auto Getter>
AttributeEntry IdentityNumber() {
  return ScalarAccessors<ViInt32>{&ReadIdentityNumber<Getter>, nullptr};
}
template <class T, class Item, auto Getter>
AttributeEntry ItemReads() {
  return ScalarAccessors<T>{&ReadItem<Item, Getter, T>, nullptr};
}
template <class T, class Item, auto Getter, auto Setter>
AttributeEntry ItemReadsWrites() {
  return ScalarAccessors<T>{&ReadItem<Item, Getter, T>, &WriteItems<Item, Setter, T>};
}

using Operation = IIviDriverOperation;
using Identity = IIviDriverIdentity;
using SensorsAlarm = IKorvaneTemperatureSensorsAlarm;
using RailAlarm = IKorvaneVoltageRailAlarm;

}  // namespace

AttributeType TypeOf(const AttributeEntry& entry) {
  constexpr AttributeType kTypes[] = {AttributeType::kInt32, AttributeType::kReal64,
                                      AttributeType::kBoolean, AttributeType::kString};
  return kTypes[entry.index()];
}

CIviCAttributeMap::CIviCAttributeMap()
    : entries_{
          // The IVI inherent attributes.
          {IVI_ATTR_RANGE_CHECK, ReadsWrites<ViBoolean, Operation, &Operation::get_RangeCheck,
                                             &Operation::put_RangeCheck>()},
          {IVI_ATTR_QUERY_INSTRUMENT_STATUS,
           ReadsWrites<ViBoolean, Operation, &Operation::get_QueryInstrumentStatus,
                       &Operation::put_QueryInstrumentStatus>()},
          {IVI_ATTR_CACHE,
           ReadsWrites<ViBoolean, Operation, &Operation::get_Cache, &Operation::put_Cache>()},
          {IVI_ATTR_SIMULATE,
           ReadsWrites<ViBoolean, Operation, &Operation::get_Simulate, &Operation::put_Simulate>()},
          {IVI_ATTR_RECORD_COERCIONS,
           ReadsWrites<ViBoolean, Operation, &Operation::get_RecordCoercions,
                       &Operation::put_RecordCoercions>()},
          {IVI_ATTR_DRIVER_SETUP, Text<Operation, &Operation::get_DriverSetup>()},
          {IVI_ATTR_INTERCHANGE_CHECK,
           ReadsWrites<ViBoolean, Operation, &Operation::get_InterchangeCheck,
                       &Operation::put_InterchangeCheck>()},
          {IVI_ATTR_SPECIFIC_DRIVER_PREFIX, StringAccessors{&ReadPrefix, nullptr}},
          {IVI_ATTR_IO_RESOURCE_DESCRIPTOR,
           Text<Operation, &Operation::get_IoResourceDescriptor>()},
          {IVI_ATTR_LOGICAL_NAME, Text<Operation, &Operation::get_LogicalName>()},
          {IVI_ATTR_SUPPORTED_INSTRUMENT_MODELS,
           IdentityText<&Identity::get_SupportedInstrumentModels>()},
          {IVI_ATTR_GROUP_CAPABILITIES, IdentityText<&Identity::get_GroupCapabilities>()},
          {IVI_ATTR_INSTRUMENT_FIRMWARE_REVISION,
           Text<Identity, &Identity::get_InstrumentFirmwareRevision>()},
          {IVI_ATTR_INSTRUMENT_MANUFACTURER,
           Text<Identity, &Identity::get_InstrumentManufacturer>()},
          {IVI_ATTR_INSTRUMENT_MODEL, Text<Identity, &Identity::get_InstrumentModel>()},
          {IVI_ATTR_SPECIFIC_DRIVER_VENDOR, IdentityText<&Identity::get_Vendor>()},
          {IVI_ATTR_SPECIFIC_DRIVER_DESCRIPTION, IdentityText<&Identity::get_Description>()},
          {IVI_ATTR_SPECIFIC_DRIVER_CLASS_SPEC_MAJOR_VERSION,
           IdentityNumber<&Identity::get_SpecificationMajorVersion>()},
          {IVI_ATTR_SPECIFIC_DRIVER_CLASS_SPEC_MINOR_VERSION,
           IdentityNumber<&Identity::get_SpecificationMinorVersion>()},
          {IVI_ATTR_SPECIFIC_DRIVER_REVISION, IdentityText<&Identity::get_Revision>()},
          // The driver's chassis attributes.
          {KORVANE_ATTR_SYSTEM_SERIAL_NUMBER,
           Text<IKorvaneSystem, &IKorvaneSystem::get_SerialNumber>()},
          {KORVANE_ATTR_SYSTEM_TRACE_ENABLED,
           ReadsWrites<ViBoolean, IKorvaneSystem, &IKorvaneSystem::get_TraceEnabled,
                       &IKorvaneSystem::put_TraceEnabled>()},
          {KORVANE_ATTR_TEMPERATURE_SENSORS_COUNT,
           Reads<ViInt32, IKorvaneTemperatureSensors, &IKorvaneTemperatureSensors::get_Count>()},
          {KORVANE_ATTR_FANS_COUNT, Reads<ViInt32, IKorvaneFans, &IKorvaneFans::get_Count>()},
          {KORVANE_ATTR_FANS_ALARM_OCCURRED,
           Reads<ViBoolean, IKorvaneFansAlarm, &IKorvaneFansAlarm::get_Occurred>()},
          {KORVANE_ATTR_FANS_ALARM_ENABLED,
           ReadsWrites<ViBoolean, IKorvaneFansAlarm, &IKorvaneFansAlarm::get_Enabled,
                       &IKorvaneFansAlarm::put_Enabled>()},
          {KORVANE_ATTR_FANS_ALARM_MIN_RPM,
           ReadsWrites<ViInt32, IKorvaneFansAlarm, &IKorvaneFansAlarm::get_MinRPM,
                       &IKorvaneFansAlarm::put_MinRPM>()},
          {KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_OCCURRED,
           Reads<ViBoolean, SensorsAlarm, &SensorsAlarm::get_Occurred>()},
          {KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_ENABLED,
           ReadsWrites<ViBoolean, SensorsAlarm, &SensorsAlarm::get_Enabled,
                       &SensorsAlarm::put_Enabled>()},
          {KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP,
           ReadsWrites<ViInt32, SensorsAlarm, &SensorsAlarm::get_MaxTemp,
                       &SensorsAlarm::put_MaxTemp>()},
          {KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE,
           ItemReads<ViReal64, IKorvaneTemperatureSensor,
                     &IKorvaneTemperatureSensor::get_Temperature>()},
          {KORVANE_ATTR_FAN_RPM, ItemReads<ViInt32, IKorvaneFan, &IKorvaneFan::get_RPM>()},
          {KORVANE_ATTR_FANS_CONTROL_MAX_RPM_TEMP,
           ReadsWrites<ViInt32, IKorvaneFansControl, &IKorvaneFansControl::get_MaxRPMTemp,
                       &IKorvaneFansControl::put_MaxRPMTemp>()},
          {KORVANE_ATTR_REFERENCE_CLOCK_SOURCE,
           Reads<ViInt32, IKorvaneReferenceClock, &IKorvaneReferenceClock::get_Source>()},
          {KORVANE_ATTR_PCIE_LINK, Text<IKorvane, &IKorvane::get_PCIeLink>()},
          {KORVANE_ATTR_VOLTAGE_RAILS_COUNT,
           Reads<ViInt32, IKorvaneVoltageRails, &IKorvaneVoltageRails::get_Count>()},
          {KORVANE_ATTR_VOLTAGE_RAIL_ALARM_OCCURRED,
           ItemReads<ViBoolean, RailAlarm, &RailAlarm::get_Occurred>()},
          {KORVANE_ATTR_VOLTAGE_RAIL_ALARM_ENABLED,
           ItemReadsWrites<ViBoolean, RailAlarm, &RailAlarm::get_Enabled,
                           &RailAlarm::put_Enabled>()},
          {KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE,
           ItemReadsWrites<ViReal64, RailAlarm, &RailAlarm::get_MaxVoltage,
                           &RailAlarm::put_MaxVoltage>()},
          {KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MIN_VOLTAGE,
           ItemReadsWrites<ViReal64, RailAlarm, &RailAlarm::get_MinVoltage,
                           &RailAlarm::put_MinVoltage>()},
          {KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE,
           ItemReads<ViReal64, IKorvaneVoltageRail, &IKorvaneVoltageRail::get_Voltage>()},
          {KORVANE_ATTR_SYSTEM_UPTIME,
           Reads<ViReal64, IKorvaneSystem, &IKorvaneSystem::get_Uptime>()},
          {KORVANE_ATTR_VOLTAGE_RAIL_EXPECTED_VOLTAGE,
           ItemReads<ViReal64, IKorvaneVoltageRail, &IKorvaneVoltageRail::get_ExpectedVoltage>()},
          {KORVANE_ATTR_REFERENCE_CLOCK_ALARM_OCCURRED,
           Reads<ViBoolean, IKorvaneReferenceClockAlarm,
                 &IKorvaneReferenceClockAlarm::get_Occurred>()},
          {KORVANE_ATTR_REFERENCE_CLOCK_ALARM_ENABLED,
           ReadsWrites<ViBoolean, IKorvaneReferenceClockAlarm,
                       &IKorvaneReferenceClockAlarm::get_Enabled,
                       &IKorvaneReferenceClockAlarm::put_Enabled>()},
          {KORVANE_ATTR_FANS_CONTROL_AUTO,
           Reads<ViBoolean, IKorvaneFansControl, &IKorvaneFansControl::get_Auto>()},
          {KORVANE_ATTR_SYSTEM_SELF_TEST_ERROR_COUNT,
           Reads<ViInt32, IKorvaneSystem, &IKorvaneSystem::get_SelfTestErrorCount>()},
      } {}

ViStatus CIviCAttributeMap::ReportAttributeError(ViSession vi, ViStatus status) const {
  IviSession_SetError(vi, status, std::string(MessageOfStatus(status)).c_str());
  return status;
}

const AttributeEntry* CIviCAttributeMap::Find(ViAttr id) const {
  const auto found = entries_.find(id);
  return found == entries_.end() ? nullptr : &found->second;
}

const CIviCAttributeMap& AttributeTable() {
  static const CIviCAttributeMap table;  // built once, on first use; C++ serialises the build
  return table;
}

}  // namespace korvane::ivic

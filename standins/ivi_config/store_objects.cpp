#include "standins/ivi_config/store_objects.h"

#include <string>

#include "standins/ivi_config/com_text.h"
#include "standins/ivi_config/error_info.h"
#include "standins/ivi_config/store_collections.h"

namespace korvane::ivi_config {

namespace {

template <class Value, class Out>
HRESULT CopyValue(Value value, Out* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<Out>(value);
  return S_OK;
}

HRESULT CopyFlag(bool value, VARIANT_BOOL* out) {
  return CopyValue(value ? VARIANT_TRUE : VARIANT_FALSE, out);
}

// An optional part that the store names: S_FALSE and null when the name is empty.
template <class Object, class Interface, class Node>
HRESULT HandOutNamed(const StorePtr& store, const std::vector<Node>& list, const std::string& name,
                     Interface** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  const Node* node = FindByName(list, name);
  if (node == nullptr) return S_FALSE;
  return HandOut<Object>(out, store, *node);
}

}  // namespace

// --- DataComponentObject ----------------------------------------------------------------------

HRESULT DataComponentObject::get_Name(BSTR* name) {
  return CopyText(node_.name, name);
}

HRESULT DataComponentObject::get_Type(BSTR* type) {
  return CopyText(DataTypeName(node_.type), type);
}

HRESULT DataComponentObject::Mismatch(DataType wanted) const {
  return ReportFailure(IVICONFIG_E_TYPE_MISMATCH, IID_IIviDataComponent,
                       {"Data component '", node_.name, "' is of type ", DataTypeName(node_.type),
                        ", not ", DataTypeName(wanted), "."});
}

HRESULT DataComponentObject::get_BooleanValue(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  if (node_.type != DataType::Boolean) return Mismatch(DataType::Boolean);
  return CopyFlag(std::get<bool>(node_.value), value);
}

HRESULT DataComponentObject::get_IntegerValue(LONG* value) {
  if (value == nullptr) return E_POINTER;
  if (node_.type != DataType::Integer) return Mismatch(DataType::Integer);
  return CopyValue(std::get<std::int32_t>(node_.value), value);
}

HRESULT DataComponentObject::get_RealValue(DOUBLE* value) {
  if (value == nullptr) return E_POINTER;
  if (node_.type != DataType::Real) return Mismatch(DataType::Real);
  return CopyValue(std::get<double>(node_.value), value);
}

HRESULT DataComponentObject::get_StringValue(BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  if (node_.type != DataType::String && node_.type != DataType::ApiReference) {
    return Mismatch(DataType::String);
  }
  return CopyText(std::get<std::string>(node_.value), value);
}

HRESULT DataComponentObject::get_DataComponents(IIviDataComponentCollection** components) {
  if (components == nullptr) return E_POINTER;
  *components = nullptr;
  if (node_.type != DataType::Structure) return Mismatch(DataType::Structure);
  return HandOut<DataComponentCollection>(components, store_, node_.components);
}

// --- NameValueObject, VirtualRangeObject, VirtualNameObject, HardwareAssetObject ---------------

HRESULT NameValueObject::get_Name(BSTR* name) {
  return CopyText(node_.name, name);
}
HRESULT NameValueObject::get_Value(BSTR* value) {
  return CopyText(node_.value, value);
}

HRESULT VirtualRangeObject::get_Min(LONG* min) {
  return CopyValue(node_.min, min);
}
HRESULT VirtualRangeObject::get_Max(LONG* max) {
  return CopyValue(node_.max, max);
}
HRESULT VirtualRangeObject::get_StartingPhysicalIndex(LONG* index) {
  return CopyValue(node_.startingPhysicalIndex, index);
}

HRESULT VirtualNameObject::get_Name(BSTR* name) {
  return CopyText(node_.name, name);
}
HRESULT VirtualNameObject::get_MapTo(BSTR* mapTo) {
  return CopyText(node_.mapTo, mapTo);
}
HRESULT VirtualNameObject::get_VirtualRanges(IIviVirtualRangeCollection** ranges) {
  return HandOut<VirtualRangeCollection>(ranges, store_, node_.ranges);
}

HRESULT HardwareAssetObject::get_Name(BSTR* name) {
  return CopyText(node_.name, name);
}
HRESULT HardwareAssetObject::get_IOResourceDescriptor(BSTR* descriptor) {
  return CopyText(node_.ioResourceDescriptor, descriptor);
}

// --- SoftwareModuleObject -----------------------------------------------------------------------

HRESULT SoftwareModuleObject::get_Name(BSTR* name) {
  return CopyText(node_.name, name);
}

HRESULT SoftwareModuleObject::get_DataComponents(IIviDataComponentCollection** components) {
  return HandOut<DataComponentCollection>(components, store_, node_.dataComponents);
}

HRESULT SoftwareModuleObject::get_NameTable(IIviNameValueCollection** table) {
  return HandOut<NameValueCollection>(table, store_, node_.nameTable);
}

// --- DriverSessionObject ------------------------------------------------------------------------

HRESULT DriverSessionObject::get_Name(BSTR* name) {
  return CopyText(node_.name, name);
}

HRESULT DriverSessionObject::get_HardwareAsset(IIviHardwareAsset** asset) {
  return HandOutNamed<HardwareAssetObject>(store_, store_->hardwareAssets, node_.hardwareAsset,
                                           asset);
}

HRESULT DriverSessionObject::get_SoftwareModule(IIviSoftwareModule** module) {
  return HandOutNamed<SoftwareModuleObject>(store_, store_->softwareModules, node_.softwareModule,
                                            module);
}

HRESULT DriverSessionObject::get_Cache(VARIANT_BOOL* value) {
  return CopyFlag(node_.cache, value);
}
HRESULT DriverSessionObject::get_InterchangeCheck(VARIANT_BOOL* value) {
  return CopyFlag(node_.interchangeCheck, value);
}
HRESULT DriverSessionObject::get_QueryInstrStatus(VARIANT_BOOL* value) {
  return CopyFlag(node_.queryInstrStatus, value);
}
HRESULT DriverSessionObject::get_RangeCheck(VARIANT_BOOL* value) {
  return CopyFlag(node_.rangeCheck, value);
}
HRESULT DriverSessionObject::get_RecordCoercions(VARIANT_BOOL* value) {
  return CopyFlag(node_.recordCoercions, value);
}
HRESULT DriverSessionObject::get_Simulate(VARIANT_BOOL* value) {
  return CopyFlag(node_.simulate, value);
}

HRESULT DriverSessionObject::get_DriverSetup(BSTR* driverSetup) {
  return CopyText(node_.driverSetup, driverSetup);
}

HRESULT DriverSessionObject::get_VirtualNames(IIviVirtualNameCollection** names) {
  return HandOut<VirtualNameCollection>(names, store_, node_.virtualNames);
}

HRESULT DriverSessionObject::get_DataComponents(IIviDataComponentCollection** components) {
  return HandOut<DataComponentCollection>(components, store_, node_.dataComponents);
}

// --- Store collections
// ----------------------------------------------------------------------------

HRESULT HandOutSessions(const StorePtr& store, IIviDriverSessionCollection** sessions) {
  return HandOut<DriverSessionCollection>(sessions, store, store->sessions);
}

HRESULT HandOutModules(const StorePtr& store, IIviSoftwareModuleCollection** modules) {
  return HandOut<SoftwareModuleCollection>(modules, store, store->softwareModules);
}

}  // namespace korvane::ivi_config

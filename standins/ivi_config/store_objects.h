// The COM objects that present a deserialized store: one class per kind of item and the
// collections that hold them. Each object keeps the whole (immutable) store alive and refers to
// its own part of it.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_STORE_OBJECTS_H
#define KORVANE_PLATFORM_IVI_CONFIG_STORE_OBJECTS_H

#include <memory>
#include <string_view>

#include "standins/ivi_config/com_object.h"
#include "standins/ivi_config/ivi_config_server.h"
#include "standins/ivi_config/store_model.h"

namespace korvane::ivi_config {

using StorePtr = std::shared_ptr<const StoreModel>;

// A view of one element of type NodeType in the store.
template <class Interface, class NodeType>
class StoreView : public ComObject<Interface> {
 public:
  using Node = NodeType;
  StoreView(StorePtr store, const Node& node) : store_(std::move(store)), node_(node) {}

 protected:
  StorePtr store_;
  const Node& node_;
};

class DataComponentObject final : public StoreView<IIviDataComponent, DataComponent> {
 public:
  static constexpr std::string_view kKind = "data component";
  using StoreView::StoreView;

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) override;
  HRESULT STDMETHODCALLTYPE get_BooleanValue(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_IntegerValue(LONG* value) override;
  HRESULT STDMETHODCALLTYPE get_RealValue(DOUBLE* value) override;
  HRESULT STDMETHODCALLTYPE get_StringValue(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_DataComponents(IIviDataComponentCollection** components) override;

 private:
  HRESULT Mismatch(DataType wanted) const;
};

class NameValueObject final : public StoreView<IIviNameValue, NameValue> {
 public:
  static constexpr std::string_view kKind = "name";
  using StoreView::StoreView;

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) override;
};

class VirtualRangeObject final : public StoreView<IIviVirtualRange, VirtualRange> {
 public:
  using StoreView::StoreView;

  HRESULT STDMETHODCALLTYPE get_Min(LONG* min) override;
  HRESULT STDMETHODCALLTYPE get_Max(LONG* max) override;
  HRESULT STDMETHODCALLTYPE get_StartingPhysicalIndex(LONG* index) override;
};

class VirtualNameObject final : public StoreView<IIviVirtualName, VirtualName> {
 public:
  static constexpr std::string_view kKind = "virtual name";
  using StoreView::StoreView;

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_MapTo(BSTR* mapTo) override;
  HRESULT STDMETHODCALLTYPE get_VirtualRanges(IIviVirtualRangeCollection** ranges) override;
};

class HardwareAssetObject final : public StoreView<IIviHardwareAsset, HardwareAsset> {
 public:
  using StoreView::StoreView;

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_IOResourceDescriptor(BSTR* descriptor) override;
};

class SoftwareModuleObject final : public StoreView<IIviSoftwareModule, SoftwareModule> {
 public:
  static constexpr std::string_view kKind = "software module";
  using StoreView::StoreView;

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_DataComponents(IIviDataComponentCollection** components) override;
  HRESULT STDMETHODCALLTYPE get_NameTable(IIviNameValueCollection** table) override;
};

class DriverSessionObject final : public StoreView<IIviDriverSession, DriverSession> {
 public:
  static constexpr std::string_view kKind = "driver session or logical name";
  using StoreView::StoreView;

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_HardwareAsset(IIviHardwareAsset** asset) override;
  HRESULT STDMETHODCALLTYPE get_SoftwareModule(IIviSoftwareModule** module) override;
  HRESULT STDMETHODCALLTYPE get_Cache(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_InterchangeCheck(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_QueryInstrStatus(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_RangeCheck(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_RecordCoercions(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_Simulate(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_DriverSetup(BSTR* driverSetup) override;
  HRESULT STDMETHODCALLTYPE get_VirtualNames(IIviVirtualNameCollection** names) override;
  HRESULT STDMETHODCALLTYPE get_DataComponents(IIviDataComponentCollection** components) override;
};

// The collections handed out for a store's sessions and modules (for an empty store as well).
HRESULT HandOutSessions(const StorePtr& store, IIviDriverSessionCollection** sessions);
HRESULT HandOutModules(const StorePtr& store, IIviSoftwareModuleCollection** modules);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_STORE_OBJECTS_H

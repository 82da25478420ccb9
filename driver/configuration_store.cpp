#include "driver/configuration_store.h"

#include "platform/scoped_bstr.h"

namespace korvane {
namespace {

// The store class may come from any kind of server.
constexpr DWORD kAnyServerContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr OleStringView kConfigurableInitialSettings = OLESTR("Configurable Initial Settings");

ScopedBstr MakeBstr(OleStringView text) {
  return ScopedBstr(text.data(), static_cast<UINT>(text.size()));
}

// Reads a text property: ReadText([&](BSTR* out) { return x.get_Name(out); }, name).
template <class Getter>
HRESULT ReadText(Getter get, OleString& text) {
  ScopedBstr read;
  const HRESULT status = get(read.Receive());
  if (SUCCEEDED(status)) text.assign(BstrView(read.Get()));
  return status;
}

// Reads a VARIANT_BOOL property; any value but VARIANT_FALSE is true.
template <class Getter>
HRESULT ReadBoolean(Getter get, bool& value) {
  VARIANT_BOOL read = VARIANT_FALSE;
  const HRESULT status = get(&read);
  if (SUCCEEDED(status)) value = read != VARIANT_FALSE;
  return status;
}

// Calls visit(item) for the items 1 to Count of a collection, in order, and
// stops at the first failure.
template <class Item, class Collection, class Visit>
HRESULT ForEachItem(Collection& collection, Visit visit) {
  LONG count = 0;
  if (const HRESULT status = collection.get_Count(&count); FAILED(status)) return status;
  for (LONG index = 1; index <= count; ++index) {
    ComPtr<Item> item;
    if (const HRESULT status = collection.get_Item(index, item.GetAddressOf()); FAILED(status)) {
      return status;
    }
    if (!item) return E_POINTER;  // a server that hands out nothing for an existing index
    if (const HRESULT status = visit(*item.Get()); FAILED(status)) return status;
  }
  return S_OK;
}

// A lookup by name in which failing and finding nothing both mean "none"; a
// failure's error information is not the caller's business.
template <class Item, class Collection>
ComPtr<Item> FindByName(Collection* collection, OleStringView name) {
  ComPtr<Item> item;
  if (collection) {
    const ScopedBstr text = MakeBstr(name);
    if (FAILED(collection->get_ItemByName(text.Get(), item.GetAddressOf()))) item.Reset();
  }
  if (!item) SetErrorInfo(0, nullptr);
  return item;
}

template <class Owner>
HRESULT ReadSettingsStructure(Owner& owner, ComPtr<IIviDataComponentCollection>& settings) {
  settings.Reset();
  ComPtr<IIviDataComponentCollection> components;
  if (const HRESULT status = owner.get_DataComponents(components.GetAddressOf()); FAILED(status)) {
    return status;
  }
  if (!components) return S_OK;
  ComPtr<IIviDataComponent> structure;
  const ScopedBstr name = MakeBstr(kConfigurableInitialSettings);
  if (const HRESULT status = components->get_ItemByName(name.Get(), structure.GetAddressOf());
      FAILED(status)) {
    return status;
  }
  if (!structure) return S_OK;
  return structure->get_DataComponents(settings.GetAddressOf());
}

// The value of a component whose type, in lower case, is `type`.
HRESULT ReadValue(IIviDataComponent& component, OleStringView type,
                  std::optional<InitialSettingValue>& value) {
  HRESULT status = S_OK;
  if (type == OLESTR("boolean")) {
    bool read = false;
    status = ReadBoolean([&](VARIANT_BOOL* out) { return component.get_BooleanValue(out); }, read);
    if (SUCCEEDED(status)) value = read;
  } else if (type == OLESTR("integer")) {
    LONG read = 0;
    status = component.get_IntegerValue(&read);
    if (SUCCEEDED(status)) value = static_cast<int32_t>(read);
  } else if (type == OLESTR("real")) {
    DOUBLE read = 0;
    status = component.get_RealValue(&read);
    if (SUCCEEDED(status)) value = static_cast<double>(read);
  } else if (type == OLESTR("string")) {
    OleString read;
    status = ReadText([&](BSTR* out) { return component.get_StringValue(out); }, read);
    if (SUCCEEDED(status)) value = std::move(read);
  }
  return status;
}

HRESULT ReadVirtualRange(IIviVirtualRange& range, StoreVirtualRange& entry) {
  LONG min = 0, max = 0, start = 0;
  HRESULT status = range.get_Min(&min);
  if (SUCCEEDED(status)) status = range.get_Max(&max);
  if (SUCCEEDED(status)) status = range.get_StartingPhysicalIndex(&start);
  if (SUCCEEDED(status)) entry = {min, max, start};
  return status;
}

HRESULT ReadVirtualName(IIviVirtualName& virtualName, StoreVirtualName& entry) {
  HRESULT status = ReadText([&](BSTR* out) { return virtualName.get_Name(out); }, entry.name);
  if (SUCCEEDED(status)) {
    status = ReadText([&](BSTR* out) { return virtualName.get_MapTo(out); }, entry.mapTo);
  }
  ComPtr<IIviVirtualRangeCollection> ranges;
  if (SUCCEEDED(status)) status = virtualName.get_VirtualRanges(ranges.GetAddressOf());
  if (FAILED(status) || !ranges) return status;
  return ForEachItem<IIviVirtualRange>(*ranges.Get(), [&](IIviVirtualRange& range) {
    StoreVirtualRange read;
    const HRESULT rangeStatus = ReadVirtualRange(range, read);
    if (SUCCEEDED(rangeStatus)) entry.ranges.push_back(read);
    return rangeStatus;
  });
}

}  // namespace

namespace {

// The description of the thread's error information, taken; empty when there
// is none.
OleString TakeErrorDescription() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.GetAddressOf()) != S_OK || !info) return {};
  ScopedBstr description;
  if (FAILED(info->GetDescription(description.Receive()))) return {};
  return OleString(description.Get(), description.Length());
}

}  // namespace

ComPtr<IIviConfigStore> OpenConfigStore(OleString* failure) {
  ComPtr<IIviConfigStore> store;
  ComPtr<IUnknown> created;
  ScopedBstr location;
  const bool running =
      SUCCEEDED(CoCreateInstance(CLSID_IviConfigStore, nullptr, kAnyServerContext,
                                 IidOf<IUnknown>(), created.GetVoidAddressOf())) &&
      SUCCEEDED(OleRun(created.Get())) &&
      SUCCEEDED(created->QueryInterface(IidOf<IIviConfigStore>(), store.GetVoidAddressOf())) &&
      SUCCEEDED(store->get_ProcessDefaultLocation(location.Receive())) &&
      (location.Length() != 0 || SUCCEEDED(store->get_MasterLocation(location.Receive())));
  if (running) {
    const HRESULT read = store->Deserialize(location.Get());
    if (SUCCEEDED(read)) return store;
    if (failure != nullptr && read != IVICONFIG_E_NO_STORE) *failure = TakeErrorDescription();
  }
  SetErrorInfo(0, nullptr);
  return nullptr;
}

ComPtr<IIviDriverSession> FindDriverSession(IIviConfigStore& store, OleStringView name) {
  ComPtr<IIviDriverSessionCollection> sessions;
  if (FAILED(store.get_DriverSessions(sessions.GetAddressOf()))) sessions.Reset();
  return FindByName<IIviDriverSession>(sessions.Get(), name);
}

ComPtr<IIviSoftwareModule> FindSoftwareModule(IIviConfigStore& store, OleStringView name) {
  ComPtr<IIviSoftwareModuleCollection> modules;
  if (FAILED(store.get_SoftwareModules(modules.GetAddressOf()))) modules.Reset();
  return FindByName<IIviSoftwareModule>(modules.Get(), name);
}

HRESULT ReadSoftwareModule(IIviDriverSession& session, ComPtr<IIviSoftwareModule>& module) {
  const HRESULT status = session.get_SoftwareModule(module.GetAddressOf());
  return FAILED(status) ? status : S_OK;  // S_FALSE: the session names none
}

HRESULT ReadIoResourceDescriptor(IIviDriverSession& session, OleString& descriptor) {
  descriptor.clear();
  ComPtr<IIviHardwareAsset> asset;
  if (const HRESULT status = session.get_HardwareAsset(asset.GetAddressOf()); FAILED(status)) {
    return status;
  }
  if (!asset) return S_OK;
  return ReadText([&](BSTR* out) { return asset->get_IOResourceDescriptor(out); }, descriptor);
}

HRESULT ReadOperationFlags(IIviDriverSession& session, OperationFlags& flags) {
  using Getter = HRESULT (*)(IIviDriverSession&, VARIANT_BOOL*);
  struct Flag {
    Getter get;
    bool OperationFlags::*flag;
  };
  static constexpr Flag kFlags[] = {
      {[](IIviDriverSession& s, VARIANT_BOOL* v) { return s.get_Cache(v); },
       &OperationFlags::cache},
      {[](IIviDriverSession& s, VARIANT_BOOL* v) { return s.get_InterchangeCheck(v); },
       &OperationFlags::interchangeCheck},
      {[](IIviDriverSession& s, VARIANT_BOOL* v) { return s.get_QueryInstrStatus(v); },
       &OperationFlags::queryInstrumentStatus},
      {[](IIviDriverSession& s, VARIANT_BOOL* v) { return s.get_RangeCheck(v); },
       &OperationFlags::rangeCheck},
      {[](IIviDriverSession& s, VARIANT_BOOL* v) { return s.get_RecordCoercions(v); },
       &OperationFlags::recordCoercions},
      {[](IIviDriverSession& s, VARIANT_BOOL* v) { return s.get_Simulate(v); },
       &OperationFlags::simulate},
  };
  for (const Flag& flag : kFlags) {
    const HRESULT status =
        ReadBoolean([&](VARIANT_BOOL* out) { return flag.get(session, out); }, flags.*flag.flag);
    if (FAILED(status)) return status;
  }
  return S_OK;
}

HRESULT ReadDriverSetup(IIviDriverSession& session, OleString& driverSetup) {
  return ReadText([&](BSTR* out) { return session.get_DriverSetup(out); }, driverSetup);
}

HRESULT ReadVirtualNames(IIviDriverSession& session, std::vector<StoreVirtualName>& names) {
  ComPtr<IIviVirtualNameCollection> collection;
  if (const HRESULT status = session.get_VirtualNames(collection.GetAddressOf()); FAILED(status)) {
    return status;
  }
  if (!collection) return S_OK;
  return ForEachItem<IIviVirtualName>(*collection.Get(), [&](IIviVirtualName& virtualName) {
    StoreVirtualName entry;
    const HRESULT status = ReadVirtualName(virtualName, entry);
    if (SUCCEEDED(status)) names.push_back(std::move(entry));
    return status;
  });
}

HRESULT ReadConfigurableInitialSettings(IIviDriverSession& session,
                                        ComPtr<IIviDataComponentCollection>& settings) {
  return ReadSettingsStructure(session, settings);
}

HRESULT ReadConfigurableInitialSettings(IIviSoftwareModule& module,
                                        ComPtr<IIviDataComponentCollection>& settings) {
  return ReadSettingsStructure(module, settings);
}

HRESULT ReadSettings(IIviDataComponentCollection& components, std::vector<StoreSetting>& settings) {
  return ForEachItem<IIviDataComponent>(components, [&](IIviDataComponent& component) {
    StoreSetting setting;
    OleString type;
    HRESULT status = ReadText([&](BSTR* out) { return component.get_Name(out); }, setting.name);
    if (SUCCEEDED(status)) {
      status = ReadText([&](BSTR* out) { return component.get_Type(out); }, type);
    }
    if (SUCCEEDED(status)) status = ReadValue(component, LowerCaseKey(type), setting.value);
    if (SUCCEEDED(status)) settings.push_back(std::move(setting));
    return status;
  });
}

HRESULT ReadNameTable(IIviSoftwareModule& module, NameValueTable& table) {
  ComPtr<IIviNameValueCollection> entries;
  if (const HRESULT status = module.get_NameTable(entries.GetAddressOf()); FAILED(status)) {
    return status;
  }
  if (!entries) return S_OK;
  return ForEachItem<IIviNameValue>(*entries.Get(), [&](IIviNameValue& entry) {
    OleString name, value;
    HRESULT status = ReadText([&](BSTR* out) { return entry.get_Name(out); }, name);
    if (SUCCEEDED(status)) {
      status = ReadText([&](BSTR* out) { return entry.get_Value(out); }, value);
    }
    if (SUCCEEDED(status)) table.insert_or_assign(std::move(name), std::move(value));
    return status;
  });
}

}  // namespace korvane

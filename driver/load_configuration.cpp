// LoadConfiguration: the configuration step of Initialize. From weakest to
// strongest: the defaults; a driver session's six flags and DriverSetup text;
// the configurable initial settings; the option string, which always has the
// last word. A plain resource descriptor has no session: only the defaults,
// the driver's software module and the option string apply.

#include <string>
#include <variant>
#include <vector>

#include "driver/configuration_store.h"
#include "driver/driver.h"

namespace korvane {
namespace {

constexpr const OLECHAR* kStoreNotUsed = OLESTR("The IVI configuration store was not used: ");
constexpr const OLECHAR* kNoSoftwareModule =
    OLESTR("Software module could not be loaded from the IVI Configuration Store.");

// The session state that configuration writes, borrowed from the driver for
// one LoadConfiguration. The option string writes through `options`.
struct ConfigurationTarget {
  OptionTarget options;
  OleString& ioResourceDescriptor;
  InitialSettingsTable& initialSettings;
  NameValueTable& forwardVirtualNames;  // lower-case virtual name -> physical identifier
  NameValueTable& reverseVirtualNames;  // physical identifier -> virtual name
  NameValueTable& moduleNames;          // only ever added to
};

// The white space of the C locale: blank, tab, line feed, vertical tab, form
// feed, carriage return.
OleStringView TrimWhiteSpace(OleStringView text) {
  const auto isSpace = [](OLECHAR c) {
    return c == OLECHAR(' ') || (c >= OLECHAR('\t') && c <= OLECHAR('\r'));
  };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// "%s%d": a name followed by a decimal number.
OleString Numbered(OleStringView name, int64_t number) {
  OleString text(name);
  for (const char digit : std::to_string(number)) text.push_back(OLECHAR(digit));
  return text;
}

void AddVirtualName(const ConfigurationTarget& target, const OleString& virtualName,
                    const OleString& physicalName) {
  target.forwardVirtualNames.insert_or_assign(LowerCaseKey(virtualName), physicalName);
  target.reverseVirtualNames.insert_or_assign(physicalName, virtualName);
}

// Refills both virtual-name tables from the session. A name with ranges
// stands for its numbered names only: with the range 7-8 starting 4, Fan7 and
// Fan8 map to FAN4 and FAN5.
HRESULT LoadVirtualNames(const ConfigurationTarget& target, IIviDriverSession& session) {
  target.forwardVirtualNames.clear();
  target.reverseVirtualNames.clear();
  std::vector<StoreVirtualName> names;
  if (const HRESULT status = ReadVirtualNames(session, names); FAILED(status)) return status;
  for (const StoreVirtualName& name : names) {
    if (name.ranges.empty()) AddVirtualName(target, name.name, name.mapTo);
    for (const StoreVirtualRange& range : name.ranges) {
      for (int64_t number = range.min; number <= range.max; ++number) {
        const int64_t physical = range.startingPhysicalIndex + (number - range.min);
        AddVirtualName(target, Numbered(name.name, number), Numbered(name.mapTo, physical));
      }
    }
  }
  return S_OK;
}

// The session's virtual names, IO resource descriptor, six flags and
// DriverSetup text, in that order.
HRESULT LoadDriverConfiguration(const ConfigurationTarget& target, IIviDriverSession& session) {
  HRESULT status = LoadVirtualNames(target, session);
  if (SUCCEEDED(status)) status = ReadIoResourceDescriptor(session, target.ioResourceDescriptor);
  if (SUCCEEDED(status)) status = ReadOperationFlags(session, target.options.flags);
  OleString driverSetup;
  if (SUCCEEDED(status)) status = ReadDriverSetup(session, driverSetup);
  if (SUCCEEDED(status)) status = ProcessDriverSetup(target.options, driverSetup);
  return status;
}

// The typed settings under their trimmed, lower-case names; a setting "model"
// that is a text becomes the instrument model.
HRESULT LoadConfigurableInitialSettings(const ConfigurationTarget& target,
                                        IIviDataComponentCollection& components) {
  std::vector<StoreSetting> settings;
  if (const HRESULT status = ReadSettings(components, settings); FAILED(status)) return status;
  for (StoreSetting& setting : settings) {
    if (!setting.value) continue;  // a structure, an API reference or an unknown type
    target.initialSettings.insert_or_assign(LowerCaseKey(TrimWhiteSpace(setting.name)),
                                            std::move(*setting.value));
  }
  if (const auto model = target.initialSettings.find(OLESTR("model"));
      model != target.initialSettings.end()) {
    if (const OleString* text = std::get_if<OleString>(&model->second))
      target.options.model = *text;
  }
  return S_OK;
}

// The configurable initial settings of a session or software module, when it
// has them.
template <class Owner>
HRESULT LoadConfigurableInitialSettingsOf(const ConfigurationTarget& target, Owner& owner) {
  ComPtr<IIviDataComponentCollection> settings;
  HRESULT status = ReadConfigurableInitialSettings(owner, settings);
  if (SUCCEEDED(status) && settings)
    status = LoadConfigurableInitialSettings(target, *settings.Get());
  return status;
}

// A logical name: its session, then the option string, then the names of the
// session's software module. Each step runs only after the previous succeeded.
HRESULT LoadSession(const ConfigurationTarget& target, IIviDriverSession& session,
                    OleStringView optionString) {
  HRESULT status = LoadDriverConfiguration(target, session);
  if (SUCCEEDED(status)) status = LoadConfigurableInitialSettingsOf(target, session);
  if (SUCCEEDED(status)) status = ProcessOptionString(target.options, optionString);
  ComPtr<IIviSoftwareModule> module;
  if (SUCCEEDED(status)) status = ReadSoftwareModule(session, module);
  if (SUCCEEDED(status) && module) status = ReadNameTable(*module.Get(), target.moduleNames);
  return status;
}

// A plain resource descriptor in a machine with a configuration store: the
// driver's own software module must be there.
HRESULT LoadDriverModule(const ConfigurationTarget& target, IIviConfigStore& store,
                         OleStringView moduleName, OleStringView optionString) {
  const ComPtr<IIviSoftwareModule> module = FindSoftwareModule(store, moduleName);
  if (!module)
    return target.options.reporter.ReportCannotRecover(AdditionalInfo(kNoSoftwareModule));
  HRESULT status = LoadConfigurableInitialSettingsOf(target, *module.Get());
  if (SUCCEEDED(status)) status = ProcessOptionString(target.options, optionString);
  if (SUCCEEDED(status)) status = ReadNameTable(*module.Get(), target.moduleNames);
  return status;
}

}  // namespace

HRESULT CDriver::LoadConfiguration(BSTR resourceName, BSTR optionString) {
  const OleStringView resource = BstrView(resourceName);
  optionString_ = OleString(BstrView(optionString));
  ioResourceDescriptor_.clear();
  logicalName_.clear();
  optionTable_.clear();
  driverSetupTable_.clear();
  initialSettings_.clear();
  forwardVirtualNames_.clear();
  reverseVirtualNames_.clear();
  flags_ = OperationFlags{};

  const ConfigurationTarget target{Options(),
                                   ioResourceDescriptor_,
                                   initialSettings_,
                                   forwardVirtualNames_,
                                   reverseVirtualNames_,
                                   moduleNames_};
  HRESULT status = S_OK;
  // A store file that is there but unusable is passed over as if there were
  // none; the trace says why.
  OleString storeFailure;
  const ComPtr<IIviConfigStore> store = OpenConfigStore(&storeFailure);
  trace_.SetStartNote(storeFailure.empty() ? OleString() : kStoreNotUsed + storeFailure);
  if (store) {
    if (const ComPtr<IIviDriverSession> session = FindDriverSession(*store.Get(), resource)) {
      logicalName_ = resource;
      status = LoadSession(target, *session.Get(), optionString_);
    } else {
      ioResourceDescriptor_ = resource;
      status = LoadDriverModule(target, *store.Get(), info_.prefix, optionString_);
    }
  } else {
    // No configuration store: the resource name is the address itself.
    ioResourceDescriptor_ = resource;
    status = ProcessOptionString(target.options, optionString_);
  }

  if (flags_.simulate && identity_.model.empty()) identity_.model = info_.defaultModel;
  initialFlags_ = flags_;
  return status;
}

}  // namespace korvane

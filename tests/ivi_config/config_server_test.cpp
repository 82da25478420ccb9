#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "standins/ivi_config/in_process_registration.h"
#include "tests/ivi_config/com_test_support.h"
#include "tests/ivi_config/sample_store.h"

namespace {

testing::Environment* const comEnvironment = testing::AddGlobalTestEnvironment(new ComEnvironment);

constexpr DWORD kAllContexts = 23;

// Each test registers the class in-process, creates a store as the driver does and can fill it
// from a file.
class ConfigServer : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(korvane::ivi_config::RegisterConfigStoreClass(&cookie_), S_OK);
    ComPtr<IUnknown> created;
    ASSERT_EQ(CoCreateInstance(CLSID_IviConfigStore, nullptr, kAllContexts, IID_IUnknown,
                               created.GetVoidAddressOf()),
              S_OK);
    ASSERT_EQ(OleRun(created.Get()), S_OK);
    ASSERT_EQ(created->QueryInterface(IID_IIviConfigStore, store_.GetVoidAddressOf()), S_OK);
  }
  void TearDown() override {
    store_.Reset();
    EXPECT_EQ(korvane::ivi_config::RevokeConfigStoreClass(cookie_), S_OK);
  }

  HRESULT Deserialize(const std::filesystem::path& file) {
    const OleString location = ToOle(file);
    const ScopedBstr text(location.data(), static_cast<UINT>(location.size()));
    return store_->Deserialize(text.Get());
  }
  void LoadSample() { ASSERT_EQ(Deserialize(folder_.Write("sample.ini", kSampleStore)), S_OK); }

  ComPtr<IIviDriverSession> Session(std::string_view name) {
    ComPtr<IIviDriverSessionCollection> sessions;
    EXPECT_EQ(store_->get_DriverSessions(sessions.GetAddressOf()), S_OK);
    ComPtr<IIviDriverSession> session;
    EXPECT_EQ(sessions->get_ItemByName(Bstr(name).Get(), session.GetAddressOf()), S_OK) << name;
    return session;
  }
  ComPtr<IIviSoftwareModule> Module(std::string_view name) {
    ComPtr<IIviSoftwareModuleCollection> modules;
    EXPECT_EQ(store_->get_SoftwareModules(modules.GetAddressOf()), S_OK);
    ComPtr<IIviSoftwareModule> module;
    EXPECT_EQ(modules->get_ItemByName(Bstr(name).Get(), module.GetAddressOf()), S_OK) << name;
    return module;
  }
  template <class Collection, class Item>
  static ComPtr<Item> ByName(Collection* collection, std::string_view name) {
    ComPtr<Item> item;
    EXPECT_EQ(collection->get_ItemByName(Bstr(name).Get(), item.GetAddressOf()), S_OK) << name;
    return item;
  }
  ComPtr<IIviDataComponentCollection> InitialSettings() {
    ComPtr<IIviDataComponentCollection> top;
    EXPECT_EQ(Module("Korvane")->get_DataComponents(top.GetAddressOf()), S_OK);
    auto settings = ByName<IIviDataComponentCollection, IIviDataComponent>(
        top.Get(), "Configurable Initial Settings");
    ComPtr<IIviDataComponentCollection> components;
    EXPECT_EQ(settings->get_DataComponents(components.GetAddressOf()), S_OK);
    return components;
  }

  TempFolder folder_;
  DWORD cookie_ = 0;
  ComPtr<IIviConfigStore> store_;
};

TEST_F(ConfigServer, AnswersForItsOwnInterfaceAndIUnknownOnly) {
  ComPtr<IUnknown> identity;
  ASSERT_EQ(store_->QueryInterface(IID_IUnknown, identity.GetVoidAddressOf()), S_OK);
  EXPECT_EQ(static_cast<void*>(identity.Get()), static_cast<void*>(store_.Get()));
  void* other = &identity;
  EXPECT_EQ(store_->QueryInterface(IID_IIviDriverSession, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);

  ComPtr<IIviDriverSessionCollection> sessions;
  ASSERT_EQ(store_->get_DriverSessions(sessions.GetAddressOf()), S_OK);
  ComPtr<IIviDriverSessionCollection> again;
  EXPECT_EQ(sessions->QueryInterface(IID_IIviDriverSessionCollection, again.GetVoidAddressOf()),
            S_OK);
  LONG count = -1;
  EXPECT_EQ(sessions->get_Count(&count), S_OK);
  EXPECT_EQ(count, 0) << "a store that was never deserialized is empty";
}

TEST_F(ConfigServer, LocationsComeFromTheEnvironmentAndTheUsersFolder) {
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return store_->get_ProcessDefaultLocation(out); }), "");
  const auto file = folder_.fsPath() / "process default.ini";
  {
    ProcessDefaultLocation variable(file);
    EXPECT_EQ(Utf8Of([&](BSTR* out) { return store_->get_ProcessDefaultLocation(out); }),
              korvane::testing::Utf8(ToOle(file)));
  }
  const std::string master = Utf8Of([&](BSTR* out) { return store_->get_MasterLocation(out); });
  EXPECT_TRUE(master.ends_with("IviConfigurationStore.ini")) << master;
  EXPECT_TRUE(std::filesystem::path(master).is_absolute()) << master;
}

TEST_F(ConfigServer, DeserializeFailsWithoutAReadableWellFormedFile) {
  LoadSample();
  struct Case {
    std::filesystem::path location;
    HRESULT code;
    std::string inDescription;
  };
  const Case cases[] = {
      {folder_.fsPath() / "missing.ini", IVICONFIG_E_NO_STORE, "No configuration store at"},
      {std::filesystem::path(), IVICONFIG_E_NO_STORE, "No configuration store"},
      {folder_.fsPath(), IVICONFIG_E_NO_STORE, "No configuration store at"},
      {folder_.Write("bad.ini", "[Session S]\nSimulate = perhaps\n"), IVICONFIG_E_BAD_FORMAT,
       "line 2: 'perhaps' is not a Boolean"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Deserialize(c.location), c.code) << c.location;
    const std::string description = TakeErrorDescription();
    EXPECT_NE(description.find(c.inDescription), std::string::npos) << description;
  }
  // A location that is not valid text (an unpaired surrogate) is an error, not the end of the
  // process; Windows can name a file so, other systems cannot.
  OleString lone = ToOle(folder_.fsPath() / "lone");
  lone.push_back(OLECHAR(0xD800));
  const ScopedBstr text(lone.data(), static_cast<UINT>(lone.size()));
  const HRESULT status = store_->Deserialize(text.Get());
  EXPECT_TRUE(status == IVICONFIG_E_CANNOT_READ || status == IVICONFIG_E_NO_STORE) << status;
  EXPECT_FALSE(TakeErrorDescription().empty());
  ComPtr<IIviDriverSessionCollection> sessions;
  ASSERT_EQ(store_->get_DriverSessions(sessions.GetAddressOf()), S_OK);
  LONG count = 0;
  EXPECT_EQ(sessions->get_Count(&count), S_OK);
  EXPECT_EQ(count, 2) << "a failed Deserialize keeps what was read before";
}

TEST_F(ConfigServer, SessionsFoundByLogicalNameCarryTheirSettings) {
  LoadSample();
  const auto bench = Session("Bench");
  ASSERT_TRUE(bench);
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return bench->get_Name(out); }), "BenchSession");
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return bench->get_DriverSetup(out); }),
            "Model=Q7730A; TraceName=bench.xml");

  struct Flag {
    const char* name;
    HRESULT (STDMETHODCALLTYPE IIviDriverSession::*get)(VARIANT_BOOL*);
    VARIANT_BOOL bench;
  };
  const Flag flags[] = {
      {"Cache", &IIviDriverSession::get_Cache, VARIANT_FALSE},
      {"InterchangeCheck", &IIviDriverSession::get_InterchangeCheck, VARIANT_TRUE},
      {"QueryInstrStatus", &IIviDriverSession::get_QueryInstrStatus, VARIANT_TRUE},
      {"RangeCheck", &IIviDriverSession::get_RangeCheck, VARIANT_FALSE},
      {"RecordCoercions", &IIviDriverSession::get_RecordCoercions, VARIANT_TRUE},
      {"Simulate", &IIviDriverSession::get_Simulate, VARIANT_TRUE},
  };
  ComPtr<IIviDriverSessionCollection> sessions;
  ASSERT_EQ(store_->get_DriverSessions(sessions.GetAddressOf()), S_OK);
  ComPtr<IIviDriverSession> plainSession;
  ASSERT_EQ(sessions->get_Item(2, plainSession.GetAddressOf()), S_OK);
  for (const auto& flag : flags) {
    VARIANT_BOOL value = 7;
    EXPECT_EQ((bench.Get()->*flag.get)(&value), S_OK) << flag.name;
    EXPECT_EQ(value, flag.bench) << flag.name;
    // Cache and RangeCheck default to true, the others to false.
    EXPECT_EQ((plainSession.Get()->*flag.get)(&value), S_OK) << flag.name;
    EXPECT_EQ(value, flag.bench == VARIANT_TRUE ? VARIANT_FALSE : VARIANT_TRUE) << flag.name;
  }
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return plainSession->get_DriverSetup(out); }), "");

  ComPtr<IIviHardwareAsset> asset;
  ASSERT_EQ(bench->get_HardwareAsset(asset.GetAddressOf()), S_OK);
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return asset->get_Name(out); }), "Bench chassis");
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return asset->get_IOResourceDescriptor(out); }),
            "PXI0::34-0.0::INSTR");
  ComPtr<IIviSoftwareModule> module;
  ASSERT_EQ(bench->get_SoftwareModule(module.GetAddressOf()), S_OK);
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return module->get_Name(out); }), "Korvane");

  // The logical name PlainSession wins over the session of that name.
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return Session("PlainSession")->get_Name(out); }),
            "BenchSession");
}

TEST_F(ConfigServer, CollectionsCountAndIndexFromOne) {
  LoadSample();
  ComPtr<IIviDriverSessionCollection> sessions;
  ASSERT_EQ(store_->get_DriverSessions(sessions.GetAddressOf()), S_OK);
  LONG count = 0;
  ASSERT_EQ(sessions->get_Count(&count), S_OK);
  ASSERT_EQ(count, 2);
  ComPtr<IIviDriverSession> plain;
  ASSERT_EQ(sessions->get_Item(2, plain.GetAddressOf()), S_OK);
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return plain->get_Name(out); }), "PlainSession");

  // A session without hardware asset or software module has none.
  ComPtr<IIviHardwareAsset> asset;
  EXPECT_EQ(plain->get_HardwareAsset(asset.GetAddressOf()), S_FALSE);
  EXPECT_FALSE(asset);
  ComPtr<IIviSoftwareModule> module;
  EXPECT_EQ(plain->get_SoftwareModule(module.GetAddressOf()), S_FALSE);
  EXPECT_FALSE(module);

  for (LONG outside : {0L, 3L, -1L}) {
    ComPtr<IIviDriverSession> none;
    EXPECT_EQ(sessions->get_Item(outside, none.GetAddressOf()), E_INVALIDARG) << outside;
    EXPECT_FALSE(none);
    EXPECT_NE(TakeErrorDescription().find("is outside 1..2"), std::string::npos);
  }
}

TEST_F(ConfigServer, VirtualNamesWithTheirRanges) {
  LoadSample();
  ComPtr<IIviVirtualNameCollection> names;
  ASSERT_EQ(Session("Bench")->get_VirtualNames(names.GetAddressOf()), S_OK);
  LONG count = 0;
  EXPECT_EQ(names->get_Count(&count), S_OK);
  EXPECT_EQ(count, 2);
  const auto fan = ByName<IIviVirtualNameCollection, IIviVirtualName>(names.Get(), "Fan");
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return fan->get_MapTo(out); }), "FAN");

  ComPtr<IIviVirtualRangeCollection> ranges;
  ASSERT_EQ(fan->get_VirtualRanges(ranges.GetAddressOf()), S_OK);
  ASSERT_EQ(ranges->get_Count(&count), S_OK);
  ASSERT_EQ(count, 2);
  const LONG expected[2][3] = {{1, 3, 1}, {7, 8, 4}};
  for (LONG index = 1; index <= 2; ++index) {
    ComPtr<IIviVirtualRange> range;
    ASSERT_EQ(ranges->get_Item(index, range.GetAddressOf()), S_OK);
    LONG min = 0, max = 0, start = 0;
    EXPECT_EQ(range->get_Min(&min), S_OK);
    EXPECT_EQ(range->get_Max(&max), S_OK);
    EXPECT_EQ(range->get_StartingPhysicalIndex(&start), S_OK);
    EXPECT_EQ(min, expected[index - 1][0]);
    EXPECT_EQ(max, expected[index - 1][1]);
    EXPECT_EQ(start, expected[index - 1][2]);
  }
}

TEST_F(ConfigServer, DataComponentsGiveTypedValuesAndNest) {
  LoadSample();
  const auto settings = InitialSettings();
  const auto component = [&](std::string_view name) {
    return ByName<IIviDataComponentCollection, IIviDataComponent>(settings.Get(), name);
  };
  const struct {
    const char* name;
    const char* type;
  } types[] = {{"Model", "String"},  {"Poll Count", "Integer"},       {"Max Temperature", "Real"},
               {"Alarm", "Boolean"}, {"Chassis Api", "APIReference"}, {"Limits", "Structure"}};
  for (const auto& t : types) {
    EXPECT_EQ(Utf8Of([&](BSTR* out) { return component(t.name)->get_Type(out); }), t.type);
    EXPECT_EQ(Utf8Of([&](BSTR* out) { return component(t.name)->get_Name(out); }), t.name);
  }
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return component("Model")->get_StringValue(out); }), "Q7730A");
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return component("Chassis Api")->get_StringValue(out); }),
            "Korvane_Fundamental_Api");
  LONG integer = 0;
  EXPECT_EQ(component("Poll Count")->get_IntegerValue(&integer), S_OK);
  EXPECT_EQ(integer, -42);
  DOUBLE real = 0;
  EXPECT_EQ(component("Max Temperature")->get_RealValue(&real), S_OK);
  EXPECT_DOUBLE_EQ(real, 61.25);
  VARIANT_BOOL flag = VARIANT_FALSE;
  EXPECT_EQ(component("Alarm")->get_BooleanValue(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_TRUE);

  ComPtr<IIviDataComponentCollection> limits;
  ASSERT_EQ(component("Limits")->get_DataComponents(limits.GetAddressOf()), S_OK);
  ComPtr<IIviDataComponentCollection> deep;
  ASSERT_EQ((ByName<IIviDataComponentCollection, IIviDataComponent>(limits.Get(), "Deep")
                 ->get_DataComponents(deep.GetAddressOf())),
            S_OK);
  EXPECT_EQ((ByName<IIviDataComponentCollection, IIviDataComponent>(deep.Get(), "Leaf")
                 ->get_BooleanValue(&flag)),
            S_OK);
  EXPECT_EQ(flag, VARIANT_FALSE);
  EXPECT_EQ((ByName<IIviDataComponentCollection, IIviDataComponent>(limits.Get(), "Upper")
                 ->get_IntegerValue(&integer)),
            S_OK);
  EXPECT_EQ(integer, 2147483647);

  // Components beside the settings, of the module and of a session.
  ComPtr<IIviDataComponentCollection> moduleData, sessionData;
  ASSERT_EQ(Module("Korvane")->get_DataComponents(moduleData.GetAddressOf()), S_OK);
  ASSERT_EQ(Session("Bench")->get_DataComponents(sessionData.GetAddressOf()), S_OK);
  const auto text = [](IIviDataComponentCollection* collection, std::string_view name) {
    const auto item = ByName<IIviDataComponentCollection, IIviDataComponent>(collection, name);
    return Utf8Of([&](BSTR* out) { return item->get_StringValue(out); });
  };
  EXPECT_EQ(text(moduleData.Get(), "Vendor Note"), "installed by hand");
  EXPECT_EQ(text(sessionData.Get(), "Operator"), "Sam");
}

TEST_F(ConfigServer, ReadingAValueOfAnotherTypeIsATypeMismatch) {
  LoadSample();
  const auto settings = InitialSettings();
  const auto component = [&](std::string_view name) {
    return ByName<IIviDataComponentCollection, IIviDataComponent>(settings.Get(), name);
  };
  LONG integer = 5;
  EXPECT_EQ(component("Model")->get_IntegerValue(&integer), IVICONFIG_E_TYPE_MISMATCH);
  EXPECT_EQ(integer, 5);
  EXPECT_EQ(TakeErrorDescription(), "Data component 'Model' is of type String, not Integer.");
  VARIANT_BOOL flag = VARIANT_TRUE;
  EXPECT_EQ(component("Limits")->get_BooleanValue(&flag), IVICONFIG_E_TYPE_MISMATCH);
  DOUBLE real = 0;
  EXPECT_EQ(component("Poll Count")->get_RealValue(&real), IVICONFIG_E_TYPE_MISMATCH);
  ScopedBstr text;
  EXPECT_EQ(component("Alarm")->get_StringValue(text.Receive()), IVICONFIG_E_TYPE_MISMATCH);
  EXPECT_EQ(text.Get(), nullptr);
  ComPtr<IIviDataComponentCollection> none;
  EXPECT_EQ(component("Model")->get_DataComponents(none.GetAddressOf()), IVICONFIG_E_TYPE_MISMATCH);
  EXPECT_FALSE(none);
}

TEST_F(ConfigServer, ModuleNameTableByIndexAndByName) {
  LoadSample();
  ComPtr<IIviNameValueCollection> table;
  ASSERT_EQ(Module("Korvane")->get_NameTable(table.GetAddressOf()), S_OK);
  LONG count = 0;
  ASSERT_EQ(table->get_Count(&count), S_OK);
  ASSERT_EQ(count, 2);
  ComPtr<IIviNameValue> first;
  ASSERT_EQ(table->get_Item(1, first.GetAddressOf()), S_OK);
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return first->get_Name(out); }), "Fan!!FAN1");
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return first->get_Value(out); }), "Front fan");
  const auto inlet =
      ByName<IIviNameValueCollection, IIviNameValue>(table.Get(), "TemperatureSensor!!TEMP2");
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return inlet->get_Value(out); }), "  Inlet  ");
}

// Looks a name up in a collection; the item found, if any, goes to *found.
template <class Item, class Collection>
HRESULT LookUp(Collection* collection, BSTR name, IUnknown** found) {
  ComPtr<Item> item;
  const HRESULT hr = collection->get_ItemByName(name, item.GetAddressOf());
  *found = item.Detach();
  return hr;
}

TEST_F(ConfigServer, UnknownNamesFailOrSucceedEmptyAsTheStoreFileSays) {
  const ScopedBstr unknown = Bstr("bench");  // names compare with letter case
  using Lookup = std::function<HRESULT(IUnknown**)>;
  const std::pair<const char*, Lookup> lookups[] = {
      {"driver session or logical name",
       [&](IUnknown** found) {
         ComPtr<IIviDriverSessionCollection> sessions;
         store_->get_DriverSessions(sessions.GetAddressOf());
         return LookUp<IIviDriverSession>(sessions.Get(), unknown.Get(), found);
       }},
      {"software module",
       [&](IUnknown** found) {
         ComPtr<IIviSoftwareModuleCollection> modules;
         store_->get_SoftwareModules(modules.GetAddressOf());
         return LookUp<IIviSoftwareModule>(modules.Get(), unknown.Get(), found);
       }},
      {"data component",
       [&](IUnknown** found) {
         return LookUp<IIviDataComponent>(InitialSettings().Get(), unknown.Get(), found);
       }},
      {"virtual name",
       [&](IUnknown** found) {
         ComPtr<IIviVirtualNameCollection> names;
         Session("Bench")->get_VirtualNames(names.GetAddressOf());
         return LookUp<IIviVirtualName>(names.Get(), unknown.Get(), found);
       }},
      {"name",
       [&](IUnknown** found) {
         ComPtr<IIviNameValueCollection> table;
         Module("Korvane")->get_NameTable(table.GetAddressOf());
         return LookUp<IIviNameValue>(table.Get(), unknown.Get(), found);
       }},
  };

  std::string failing = kSampleStore;
  failing.replace(failing.find("MissingItem = Succeed"), 21, "MissingItem = Fail");
  std::string byDefault = kSampleStore;
  byDefault.replace(byDefault.find("MissingItem = Succeed"), 21, "");
  const struct {
    std::string text;
    HRESULT expected;
  } policies[] = {{kSampleStore, S_FALSE},
                  {failing, IVICONFIG_E_NOT_FOUND},
                  {byDefault, IVICONFIG_E_NOT_FOUND}};

  for (const auto& policy : policies) {
    ASSERT_EQ(Deserialize(folder_.Write("policy.ini", policy.text)), S_OK);
    for (const auto& [kind, lookup] : lookups) {
      SetErrorInfo(0, nullptr);
      IUnknown* found = store_.Get();
      EXPECT_EQ(lookup(&found), policy.expected) << kind;
      EXPECT_EQ(found, nullptr) << kind;
      const std::string description = TakeErrorDescription();
      if (policy.expected == S_FALSE) {
        EXPECT_EQ(description, "(none)") << kind;
      } else {
        EXPECT_EQ(description, "No " + std::string(kind) + " named 'bench'.");
      }
    }
  }
}

TEST_F(ConfigServer, ObjectsHandedOutKeepTheirContentsWhenTheStoreIsReadAgain) {
  LoadSample();
  const auto old = Session("Bench");
  ASSERT_EQ(Deserialize(folder_.Write("second.ini",
                                      "[Session BenchSession]\nDriverSetup = Grüße, Zoë\n"
                                      "[LogicalName Bench]\nSession = BenchSession\n")),
            S_OK);
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return old->get_DriverSetup(out); }),
            "Model=Q7730A; TraceName=bench.xml");
  EXPECT_EQ(Utf8Of([&](BSTR* out) { return Session("Bench")->get_DriverSetup(out); }),
            "Grüße, Zoë");
}

TEST_F(ConfigServer, NullOutPointersAreRefused) {
  LoadSample();
  const auto session = Session("Bench");
  ComPtr<IIviDriverSessionCollection> sessions;
  ASSERT_EQ(store_->get_DriverSessions(sessions.GetAddressOf()), S_OK);
  const auto settings = InitialSettings();
  const auto model =
      ByName<IIviDataComponentCollection, IIviDataComponent>(settings.Get(), "Model");
  const std::function<HRESULT()> calls[] = {
      [&] { return store_->get_ProcessDefaultLocation(nullptr); },
      [&] { return store_->get_MasterLocation(nullptr); },
      [&] { return store_->get_DriverSessions(nullptr); },
      [&] { return store_->get_SoftwareModules(nullptr); },
      [&] { return store_->QueryInterface(IID_IUnknown, nullptr); },
      [&] { return sessions->get_Count(nullptr); },
      [&] { return sessions->get_Item(1, nullptr); },
      [&] { return sessions->get_ItemByName(nullptr, nullptr); },
      [&] { return session->get_Name(nullptr); },
      [&] { return session->get_HardwareAsset(nullptr); },
      [&] { return session->get_Simulate(nullptr); },
      [&] { return session->get_VirtualNames(nullptr); },
      [&] { return session->get_DataComponents(nullptr); },
      [&] { return model->get_StringValue(nullptr); },
      [&] { return model->get_IntegerValue(nullptr); },
      [&] { return model->get_DataComponents(nullptr); },
  };
  for (std::size_t i = 0; i < std::size(calls); ++i) EXPECT_EQ(calls[i](), E_POINTER) << i;
}

}  // namespace

// Initialize against an IVI configuration store: logical names and their
// driver sessions, the driver's software module, configurable initial
// settings, virtual names, and which source wins.

#include <functional>
#include <string>
#include <vector>

#include "config_store_fixture.h"

namespace korvane::testing {
namespace {

namespace vc = virtual_chassis;

constexpr HRESULT kCannotRecover = static_cast<HRESULT>(0x80047000);
constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x8004701D);
constexpr HRESULT kBadOptionValue = static_cast<HRESULT>(0x8004704C);
constexpr HRESULT kCannotChangeSimulationState = static_cast<HRESULT>(0x80047062);
constexpr HRESULT kStoreItemNotFound = static_cast<HRESULT>(0x80040A04);
constexpr HRESULT kStoreTypeMismatch = static_cast<HRESULT>(0x80040A05);

constexpr char kBenchOpen[] = R"(ioOpen("PXI0::34-0.0::INSTR", null))";
constexpr char kEmptyOpen[] = R"(ioOpen("", null))";

// A store with the logical name Bench for the session BenchSession, whose
// lines and configurable initial settings the test gives, and the driver's
// software module with a name table and settings of its own.
std::string BenchStore(const std::string& sessionLines, const std::string& settingsLines,
                       const std::string& storeLines = "") {
  return "[Store]\n" + storeLines +
         "\n"
         "[HardwareAsset Bench chassis]\n"
         "IOResourceDescriptor = PXI0::34-0.0::INSTR\n"
         "\n"
         "[SoftwareModule Korvane]\n"
         "Name Fan!!FAN1 = Front fan\n"
         "\n"
         "[SoftwareModule Korvane / Configurable Initial Settings]\n"
         "String Model = ModuleModel\n"
         "Integer Module Only = 1\n"
         "\n"
         "[Session BenchSession]\n"
         "SoftwareModule = Korvane\n" +
         sessionLines +
         "\n"
         "[Session BenchSession / Configurable Initial Settings]\n" +
         settingsLines +
         "\n"
         "[LogicalName Bench]\n"
         "Session = BenchSession\n";
}

class LoadConfigurationTest : public ConfigStoreTest {
 protected:
  // A new driver and an empty call record for the next case of a table.
  void StartCase() {
    if (Initialized()) {
      EXPECT_EQ(S_OK, driver_->Close());
    }
    driver_ = CreateDriver();
    vc::ClearCalls();
    TakeErrorInfo();
  }
};

struct PrecedenceCase {
  const char* name;
  std::string session;   // lines of the session BenchSession
  std::string settings;  // its configurable initial settings
  const OLECHAR* options;
  HRESULT status;
  OperationFlags flags;
  const OLECHAR* model;  // null: not checked (a successful Initialize reads the identity)
  const OLECHAR* driverSetup;
  std::string ioOpen;  // the chassis's ioOpen call, empty for none
};

// Defaults < the session's flags and DriverSetup < configurable initial
// settings < the option string. The model is seen where Initialize stops
// before reading the identity: a session without hardware asset that is not
// simulated fails to open the chassis.
TEST_F(LoadConfigurationTest, EachSourceOverridesTheWeakerOnes) {
  const std::string sessionFlags =
      "HardwareAsset = Bench chassis\nCache = false\nQueryInstrStatus = true\nRangeCheck = false\n"
      "RecordCoercions = true\nSimulate = true\nDriverSetup = Model=SessionModel\n";
  const std::string sessionModel = "DriverSetup = Model=SessionModel\n";
  const std::vector<PrecedenceCase> cases = {
      {"session flags over the defaults", sessionFlags, "", OLESTR(""), S_OK,
       OperationFlags{.cache = false,
                      .queryInstrumentStatus = true,
                      .rangeCheck = false,
                      .recordCoercions = true,
                      .simulate = true},
       nullptr, OLESTR("Model=SessionModel"), ""},
      {"option string over the session flags", sessionFlags, "",
       OLESTR(
           "Cache=true, QueryInstrStatus=false, RangeCheck=1, RecordCoercions=0, Simulate=false"),
       S_OK, OperationFlags{}, nullptr, OLESTR("Model=SessionModel"), kBenchOpen},
      {"session DriverSetup over the defaults", sessionModel, "Integer Retries = 3\n", OLESTR(""),
       kNotInitialized, OperationFlags{}, OLESTR("SessionModel"), OLESTR("Model=SessionModel"),
       kEmptyOpen},
      {"initial settings over the session DriverSetup", sessionModel,
       "String Model = SettingsModel\n", OLESTR(""), kNotInitialized, OperationFlags{},
       OLESTR("SettingsModel"), OLESTR("Model=SessionModel"), kEmptyOpen},
      {"option DriverSetup over the initial settings", sessionModel,
       "String Model = SettingsModel\n", OLESTR("DriverSetup=Model=OptionModel"), kNotInitialized,
       OperationFlags{}, OLESTR("OptionModel"), OLESTR("Model=OptionModel"), kEmptyOpen},
      {"session InterchangeCheck refused",
       "HardwareAsset = Bench chassis\nInterchangeCheck = true\n", "", OLESTR(""), kBadOptionValue,
       OperationFlags{.interchangeCheck = true}, nullptr, OLESTR(""), ""},
      {"option string clears the session InterchangeCheck",
       "HardwareAsset = Bench chassis\nInterchangeCheck = true\n", "",
       OLESTR("InterchangeCheck=false"), S_OK, OperationFlags{}, nullptr, OLESTR(""), kBenchOpen},
  };
  for (const PrecedenceCase& c : cases) {
    SCOPED_TRACE(c.name);
    StartCase();
    UseStore(BenchStore(c.session, c.settings));
    EXPECT_EQ(c.status, InitializeWith(OLESTR("Bench"), c.options));
    EXPECT_EQ(c.flags, Object().Flags());
    EXPECT_EQ(c.flags, Object().InitialFlags());
    if (c.model) {
      EXPECT_EQ(OleString(c.model), Object().Identity().model);
    }
    EXPECT_EQ(OleString(c.driverSetup), Object().DriverSetup());
    EXPECT_EQ(c.ioOpen, IoOpenCall());
  }
}

// A driver session gives the logical name, the address of its hardware asset
// and whether the session starts simulated.
TEST_F(LoadConfigurationTest, SessionGivesTheAddressAndTheSimulation) {
  const std::string asset = "HardwareAsset = Bench chassis\n";
  struct Case {
    const char* name;
    const OLECHAR* resource;
    std::string session;
    const OLECHAR* options;
    HRESULT status;
    const OLECHAR* descriptor;
    std::string ioOpen;
    bool simulatedAtInitialize;
  };
  const std::vector<Case> cases = {
      {"logical name", OLESTR("Bench"), asset, OLESTR(""), S_OK, OLESTR("PXI0::34-0.0::INSTR"),
       kBenchOpen, false},
      {"session name", OLESTR("BenchSession"), asset, OLESTR(""), S_OK,
       OLESTR("PXI0::34-0.0::INSTR"), kBenchOpen, false},
      {"simulated session", OLESTR("Bench"), asset + "Simulate = true\n", OLESTR(""), S_OK,
       OLESTR("PXI0::34-0.0::INSTR"), "", true},
      {"simulated session opened on hardware", OLESTR("Bench"), asset + "Simulate = true\n",
       OLESTR("Simulate=false"), S_OK, OLESTR("PXI0::34-0.0::INSTR"), kBenchOpen, false},
      {"no hardware asset, simulated", OLESTR("Bench"), "Simulate = true\n", OLESTR(""), S_OK,
       OLESTR(""), "", true},
      {"no hardware asset, not simulated", OLESTR("Bench"), "Simulate = false\n", OLESTR(""),
       kNotInitialized, OLESTR(""), kEmptyOpen, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartCase();
    UseStore(BenchStore(c.session, ""));
    EXPECT_EQ(c.status, InitializeWith(c.resource, c.options));
    EXPECT_EQ(c.status == S_OK, Initialized());
    EXPECT_EQ(c.ioOpen, IoOpenCall());
    EXPECT_EQ(c.simulatedAtInitialize, Object().InitialFlags().simulate);
    if (c.status != S_OK) {
      EXPECT_EQ(OleString(c.resource), Object().LogicalName());
      EXPECT_EQ(OleString(c.descriptor), Object().IoResourceDescriptor());
      continue;
    }
    EXPECT_FALSE(TakeErrorInfo().present);
    // What the client sees of the session.
    const ComPtr<IIviDriverOperation> operation = Operation();
    ScopedBstr logicalName, descriptor;
    VARIANT_BOOL simulate = VARIANT_FALSE;
    ASSERT_EQ(S_OK, operation->get_LogicalName(logicalName.Receive()));
    ASSERT_EQ(S_OK, operation->get_IoResourceDescriptor(descriptor.Receive()));
    ASSERT_EQ(S_OK, operation->get_Simulate(&simulate));
    EXPECT_EQ(OleString(c.resource), BstrView(logicalName.Get()));
    EXPECT_EQ(OleString(c.descriptor), BstrView(descriptor.Get()));
    EXPECT_EQ(c.simulatedAtInitialize, simulate == VARIANT_TRUE);
    // A session that starts simulated cannot leave simulation.
    EXPECT_EQ(c.simulatedAtInitialize ? kCannotChangeSimulationState : S_OK,
              operation->put_Simulate(VARIANT_FALSE));
  }
}

// A resource name that is no session takes only the defaults, the driver's
// software module and the option string; the store must hold the module.
TEST_F(LoadConfigurationTest, PlainDescriptorUsesTheDriversSoftwareModule) {
  const std::string sessionFlags = "Cache = false\nSimulate = true\n";
  const std::string noModule = "[Session BenchSession]\nSimulate = true\n";
  const OleString cannotRecover = OLESTR(
      "Korvane: Unrecoverable failure.\r\n"
      "Software module could not be loaded from the IVI Configuration Store.");
  struct Case {
    const char* name;
    std::string store;
    const OLECHAR* options;
    bool ioOpenFails;
    HRESULT status;
    OleString description;  // empty: no error information
    const OLECHAR* model;   // null: not checked
    std::string ioOpen;
  };
  const std::vector<Case> cases = {
      {"no module, a missing item fails", noModule, OLESTR(""), false, kCannotRecover,
       cannotRecover, nullptr, ""},
      {"no module, a missing item succeeds", "[Store]\nMissingItem = Succeed\n" + noModule,
       OLESTR(""), false, kCannotRecover, cannotRecover, nullptr, ""},
      {"module present", BenchStore(sessionFlags, ""), OLESTR(""), false, S_OK, OLESTR(""), nullptr,
       R"(ioOpen("PXI0::9::INSTR", null))"},
      {"the module's initial settings set the model", BenchStore(sessionFlags, ""), OLESTR(""),
       true, kNotInitialized,
       OLESTR("Korvane: A connection to the instrument has not been established.\r\n"
              "Failed to initialize fundamental driver"),
       OLESTR("ModuleModel"), R"(ioOpen("PXI0::9::INSTR", null))"},
      {"the option string over the module's settings", BenchStore(sessionFlags, ""),
       OLESTR("DriverSetup=Model=OptionModel"), true, kNotInitialized,
       OLESTR("Korvane: A connection to the instrument has not been established.\r\n"
              "Failed to initialize fundamental driver"),
       OLESTR("OptionModel"), R"(ioOpen("PXI0::9::INSTR", null))"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartCase();
    UseStore(c.store);
    if (c.ioOpenFails) vc::InjectResult(vc::Operation::kIoOpen, static_cast<int32_t>(0xBFFF0011u));
    EXPECT_EQ(c.status, InitializeWith(OLESTR("PXI0::9::INSTR"), c.options));
    EXPECT_EQ(c.description, TakeErrorInfo().description);
    EXPECT_EQ(c.status == S_OK, Initialized());
    EXPECT_EQ(OperationFlags{}, Object().Flags());  // the session's flags do not apply
    EXPECT_EQ(OLESTR("PXI0::9::INSTR"), Object().IoResourceDescriptor());
    EXPECT_EQ(OLESTR(""), Object().LogicalName());
    if (c.model) {
      EXPECT_EQ(OleString(c.model), Object().Identity().model);
    }
    EXPECT_EQ(c.ioOpen, IoOpenCall());
  }
}

// Without a store the resource name is the address and only the option string
// applies; that is no error, and no error information is left behind.
TEST_F(LoadConfigurationTest, StoreThatCannotBeOpenedIsNoError) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
  };
  const std::string bench = BenchStore("HardwareAsset = Bench chassis\nSimulate = true\n", "");
  const std::vector<Case> cases = {
      {"no configuration server",
       [&] {
         UseStore(bench);
         RemoveConfigServer();
       }},
      {"no store file", [&] { UseMissingStore(); }},
      {"malformed store file", [&] { UseStore(bench + "[Nonsense]\n"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartCase();
    c.arrange();
    EXPECT_EQ(S_OK, InitializeWith(OLESTR("Bench"), OLESTR("Cache=false")));
    EXPECT_FALSE(TakeErrorInfo().present);
    EXPECT_EQ(OLESTR("Bench"), Object().IoResourceDescriptor());
    EXPECT_EQ(OLESTR(""), Object().LogicalName());
    EXPECT_EQ(OperationFlags{.cache = false}, Object().Flags());
    EXPECT_EQ(R"(ioOpen("Bench", null))", IoOpenCall());
  }
}

TEST_F(LoadConfigurationTest, InitialSettingsAreTypedUnderTrimmedLowerCaseNames) {
  UseStore(BenchStore("Simulate = true\n",
                      "String Model = Q7730A\n"
                      "Integer Poll Count = -42\n"
                      "Real Max Temperature = 61.25\n"
                      "Boolean Alarm = true\n"
                      "APIReference Chassis Api = Korvane_Fundamental_Api\n"
                      "[Session BenchSession / Configurable Initial Settings / Limits]\n"
                      "Integer Upper = 100\n"));
  ASSERT_EQ(S_OK, InitializeWith(OLESTR("Bench")));
  // The session's own settings only: structures, API references and the
  // module's settings stay out.
  const InitialSettingsTable expected = {
      {OLESTR("alarm"), true},
      {OLESTR("max temperature"), 61.25},
      {OLESTR("model"), OleString(OLESTR("Q7730A"))},
      {OLESTR("poll count"), int32_t{-42}},
  };
  EXPECT_EQ(expected, Object().ConfigurableInitialSettings());
}

// A failing server call ends Initialize with the server's status and its own
// error information; a lookup that finds nothing without failing applies
// nothing.
TEST_F(LoadConfigurationTest, ServerFailuresPassOnUnchanged) {
  const std::string session = "Simulate = true\n";
  const std::string noSettings =
      "[Session BenchSession]\nSimulate = true\n[LogicalName Bench]\nSession = BenchSession\n";
  struct Case {
    const char* name;
    std::string store;
    HRESULT status;
    OleString description;
  };
  const std::vector<Case> cases = {
      {"no initial settings, a missing item fails", noSettings, kStoreItemNotFound,
       OLESTR("No data component named 'Configurable Initial Settings'.")},
      {"no initial settings, a missing item succeeds",
       "[Store]\nMissingItem = Succeed\n" + noSettings, S_OK, OLESTR("")},
      {"initial settings that are no structure",
       "[Session BenchSession]\nSimulate = true\nString Configurable Initial Settings = x\n"
       "[LogicalName Bench]\nSession = BenchSession\n",
       kStoreTypeMismatch,
       OLESTR("Data component 'Configurable Initial Settings' is of type String, not Structure.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartCase();
    UseStore(c.store);
    EXPECT_EQ(c.status, InitializeWith(OLESTR("Bench")));
    EXPECT_EQ(c.description, TakeErrorInfo().description);
    EXPECT_EQ(c.status == S_OK, Initialized());
    // The session had been read, and its flags were kept, before the failure.
    EXPECT_TRUE(Object().InitialFlags().simulate);
    EXPECT_TRUE(Object().ConfigurableInitialSettings().empty());
  }
}

TEST_F(LoadConfigurationTest, VirtualNameRangesReachTheForwardTable) {
  UseStore(
      BenchStore("Simulate = true\n"
                 "VirtualName InletSensor = TS1\n"
                 "VirtualName Fan = FAN\n"
                 "VirtualRange Fan = 1-3\n"
                 "VirtualRange Fan = 7-8 starting 4\n"
                 "VirtualRange Fan = 12-12 starting 6\n"
                 "VirtualName Rail = VoltageRail!!VPLUS_5_0\n",
                 ""));
  ASSERT_EQ(S_OK, InitializeWith(OLESTR("Bench")));
  const NameValueTable expected = {
      {OLESTR("inletsensor"), OLESTR("TS1")}, {OLESTR("fan1"), OLESTR("FAN1")},
      {OLESTR("fan2"), OLESTR("FAN2")},       {OLESTR("fan3"), OLESTR("FAN3")},
      {OLESTR("fan7"), OLESTR("FAN4")},       {OLESTR("fan8"), OLESTR("FAN5")},
      {OLESTR("fan12"), OLESTR("FAN6")},      {OLESTR("rail"), OLESTR("VoltageRail!!VPLUS_5_0")},
  };
  EXPECT_EQ(expected, Object().ForwardVirtualNames());
}

// The collections resolve item names through the session's virtual names and
// show the names of the driver's software module.
TEST_F(LoadConfigurationTest, StoreNamesReachTheCollections) {
  UseStore(
      BenchStore("Simulate = true\n"
                 "VirtualName Cooler = FAN\n"
                 "VirtualRange Cooler = 1-2 starting 2\n"
                 "VirtualName Rail = VoltageRail!!VPLUS_5_0\n",
                 ""));
  ASSERT_EQ(S_OK, InitializeWith(OLESTR("Bench")));
  ComPtr<IKorvane> korvane;
  ComPtr<IKorvaneFans> fans;
  ComPtr<IKorvaneVoltageRails> rails;
  ASSERT_EQ(S_OK, driver_->QueryInterface(IidOf<IKorvane>(), korvane.GetVoidAddressOf()));
  ASSERT_EQ(S_OK, korvane->get_Fans(fans.GetAddressOf()));
  ASSERT_EQ(S_OK, korvane->get_VoltageRails(rails.GetAddressOf()));
  // The collections keep their items, so a pointer names an item.
  const auto fan = [&](const OLECHAR* name) {
    ComPtr<IKorvaneFan> item;
    EXPECT_EQ(S_OK, fans->get_Item(ScopedBstr(name).Get(), item.GetAddressOf()));
    return item.Get();
  };
  const auto rail = [&](const OLECHAR* name) {
    ComPtr<IKorvaneVoltageRail> item;
    EXPECT_EQ(S_OK, rails->get_Item(ScopedBstr(name).Get(), item.GetAddressOf()));
    return item.Get();
  };
  EXPECT_EQ(fan(OLESTR("FAN2")), fan(OLESTR("cooler1")));
  EXPECT_EQ(fan(OLESTR("FAN3")), fan(OLESTR("COOLER2")));
  EXPECT_EQ(rail(OLESTR("VPLUS_5_0")), rail(OLESTR("Rail")));

  const auto fanName = [&](LONG index) {
    ScopedBstr name;
    EXPECT_EQ(S_OK, fans->get_Name(index, name.Receive()));
    return OleString(BstrView(name.Get()));
  };
  EXPECT_EQ(OLESTR("Front fan"), fanName(1));
  EXPECT_EQ(OLESTR("FAN2"), fanName(2));
}

// Each Initialize reads the store again and starts its tables afresh, except
// the module name table, which only grows.
TEST_F(LoadConfigurationTest, ModuleNamesAccumulateWhileTheOtherTablesStartAfresh) {
  UseStore(BenchStore("Simulate = true\nVirtualName MyFan = FAN1\n", "Integer Retries = 3\n"));
  ASSERT_EQ(S_OK, InitializeWith(OLESTR("Bench")));
  EXPECT_EQ((NameValueTable{{OLESTR("Fan!!FAN1"), OLESTR("Front fan")}}), Object().ModuleNames());
  EXPECT_EQ(1u, Object().ForwardVirtualNames().size());
  EXPECT_EQ(1u, Object().ConfigurableInitialSettings().size());
  ASSERT_EQ(S_OK, driver_->Close());

  UseStore(
      "[SoftwareModule Korvane]\nName Fan!!FAN1 = Left fan\nName Fan!!FAN2 = Rear fan\n"
      "[SoftwareModule Korvane / Configurable Initial Settings]\n");
  ASSERT_EQ(S_OK, InitializeWith(OLESTR("PXI0::9::INSTR"), OLESTR("Simulate=true")));
  const NameValueTable merged = {{OLESTR("Fan!!FAN1"), OLESTR("Left fan")},
                                 {OLESTR("Fan!!FAN2"), OLESTR("Rear fan")}};
  EXPECT_EQ(merged, Object().ModuleNames());
  EXPECT_TRUE(Object().ForwardVirtualNames().empty());
  EXPECT_TRUE(Object().ConfigurableInitialSettings().empty());
  ASSERT_EQ(S_OK, driver_->Close());

  UseMissingStore();
  ASSERT_EQ(S_OK, InitializeWith(OLESTR("PXI0::9::INSTR"), OLESTR("Simulate=true")));
  EXPECT_EQ(merged, Object().ModuleNames());
}

}  // namespace
}  // namespace korvane::testing

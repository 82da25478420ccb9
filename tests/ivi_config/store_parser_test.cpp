#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "standins/ivi_config/store_parser.h"
#include "tests/ivi_config/sample_store.h"

namespace {

using namespace korvane::ivi_config;

const DataComponent& Component(const std::vector<DataComponent>& list, std::string_view name) {
  const auto* found = FindByName(list, name);
  EXPECT_NE(found, nullptr) << name;
  static const DataComponent kNone;
  return found != nullptr ? *found : kNone;
}

TEST(StoreParser, ReadsSessionsWithTheirSettingsAssetAndModule) {
  const auto store = ParseStore(kSampleStore);
  EXPECT_EQ(store.missingItem, MissingItem::Succeed);
  ASSERT_EQ(store.sessions.size(), 2u);
  const auto& bench = store.sessions[0];
  EXPECT_EQ(bench.name, "BenchSession");
  EXPECT_EQ(bench.hardwareAsset, "Bench chassis");
  EXPECT_EQ(bench.softwareModule, "Korvane");
  EXPECT_FALSE(bench.cache);
  EXPECT_TRUE(bench.interchangeCheck);
  EXPECT_TRUE(bench.queryInstrStatus);
  EXPECT_FALSE(bench.rangeCheck);
  EXPECT_TRUE(bench.recordCoercions);
  EXPECT_TRUE(bench.simulate);
  EXPECT_EQ(bench.driverSetup, "Model=Q7730A; TraceName=bench.xml");

  const auto& plain = store.sessions[1];
  EXPECT_EQ(plain.name, "PlainSession");
  EXPECT_EQ(plain.hardwareAsset, "");
  EXPECT_EQ(plain.softwareModule, "");
  EXPECT_TRUE(plain.cache);
  EXPECT_FALSE(plain.interchangeCheck);
  EXPECT_FALSE(plain.queryInstrStatus);
  EXPECT_TRUE(plain.rangeCheck);
  EXPECT_FALSE(plain.recordCoercions);
  EXPECT_FALSE(plain.simulate);
  EXPECT_EQ(plain.driverSetup, "");

  ASSERT_EQ(store.hardwareAssets.size(), 1u);
  EXPECT_EQ(store.hardwareAssets[0].name, "Bench chassis");
  EXPECT_EQ(store.hardwareAssets[0].ioResourceDescriptor, "PXI0::34-0.0::INSTR");
}

TEST(StoreParser, LogicalNamesResolveToSessionsBeforeSessionNames) {
  const auto store = ParseStore(kSampleStore);
  struct Case {
    const char* name;
    const char* session;  // null: no session
  };
  const Case cases[] = {
      {"Bench", "BenchSession"},
      {"BenchSession", "BenchSession"},
      {"PlainSession", "BenchSession"},
      {"bench", nullptr},
      {"Korvane", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const auto* session = ResolveSession(store, c.name);
    if (c.session == nullptr) {
      EXPECT_EQ(session, nullptr) << c.name;
    } else {
      ASSERT_NE(session, nullptr) << c.name;
      EXPECT_EQ(session->name, c.session) << c.name;
    }
  }
}

TEST(StoreParser, VirtualNamesKeepTheirRanges) {
  const auto store = ParseStore(kSampleStore);
  const auto& names = store.sessions[0].virtualNames;
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].name, "InletSensor");
  EXPECT_EQ(names[0].mapTo, "TEMP1");
  EXPECT_TRUE(names[0].ranges.empty());
  EXPECT_EQ(names[1].name, "Fan");
  EXPECT_EQ(names[1].mapTo, "FAN");
  ASSERT_EQ(names[1].ranges.size(), 2u);
  EXPECT_EQ(names[1].ranges[0].min, 1);
  EXPECT_EQ(names[1].ranges[0].max, 3);
  EXPECT_EQ(names[1].ranges[0].startingPhysicalIndex, 1);
  EXPECT_EQ(names[1].ranges[1].min, 7);
  EXPECT_EQ(names[1].ranges[1].max, 8);
  EXPECT_EQ(names[1].ranges[1].startingPhysicalIndex, 4);
}

TEST(StoreParser, DataComponentsOfEveryTypeAndNestedStructures) {
  const auto store = ParseStore(kSampleStore);
  const auto& module = store.softwareModules.at(0);
  ASSERT_EQ(module.dataComponents.size(), 2u);
  EXPECT_EQ(std::get<std::string>(Component(module.dataComponents, "Vendor Note").value),
            "installed by hand");

  const auto& settings = Component(module.dataComponents, "Configurable Initial Settings");
  EXPECT_EQ(settings.type, DataType::Structure);
  ASSERT_EQ(settings.components.size(), 6u);
  const auto& list = settings.components;
  EXPECT_EQ(Component(list, "Model").type, DataType::String);
  EXPECT_EQ(std::get<std::string>(Component(list, "Model").value), "Q7730A");
  EXPECT_EQ(Component(list, "Poll Count").type, DataType::Integer);
  EXPECT_EQ(std::get<std::int32_t>(Component(list, "Poll Count").value), -42);
  EXPECT_EQ(Component(list, "Max Temperature").type, DataType::Real);
  EXPECT_DOUBLE_EQ(std::get<double>(Component(list, "Max Temperature").value), 61.25);
  EXPECT_EQ(Component(list, "Alarm").type, DataType::Boolean);
  EXPECT_TRUE(std::get<bool>(Component(list, "Alarm").value));
  EXPECT_EQ(Component(list, "Chassis Api").type, DataType::ApiReference);
  EXPECT_EQ(std::get<std::string>(Component(list, "Chassis Api").value), "Korvane_Fundamental_Api");

  const auto& limits = Component(list, "Limits");
  EXPECT_EQ(limits.type, DataType::Structure);
  ASSERT_EQ(limits.components.size(), 2u);
  EXPECT_EQ(std::get<std::int32_t>(Component(limits.components, "Upper").value), 2147483647);
  const auto& deep = Component(limits.components, "Deep");
  EXPECT_EQ(deep.type, DataType::Structure);
  EXPECT_FALSE(std::get<bool>(Component(deep.components, "Leaf").value));

  const auto& session = store.sessions[0];
  ASSERT_EQ(session.dataComponents.size(), 2u);
  EXPECT_EQ(std::get<std::string>(Component(session.dataComponents, "Operator").value), "Sam");
  const auto& sessionSettings =
      Component(session.dataComponents, "Configurable Initial Settings").components;
  EXPECT_EQ(std::get<std::string>(Component(sessionSettings, "Model").value), "Q7730A-SIM");
}

TEST(StoreParser, ModuleNameTableKeepsTextsAsWritten) {
  const auto store = ParseStore(kSampleStore);
  const auto& table = store.softwareModules.at(0).nameTable;
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].name, "Fan!!FAN1");
  EXPECT_EQ(table[0].value, "Front fan");
  EXPECT_EQ(table[1].name, "TemperatureSensor!!TEMP2");
  EXPECT_EQ(table[1].value, "  Inlet  ");
}

TEST(StoreParser, TypeNamesReadWithoutRegardToCaseAndReportInCanonicalForm) {
  for (auto type : {DataType::Boolean, DataType::Integer, DataType::Real, DataType::String,
                    DataType::Structure, DataType::ApiReference}) {
    const auto name = DataTypeName(type);
    EXPECT_EQ(DataTypeFromName(name), type) << name;
  }
  EXPECT_EQ(DataTypeName(DataType::ApiReference), "APIReference");
  EXPECT_EQ(DataTypeFromName("apireference"), DataType::ApiReference);
  EXPECT_EQ(DataTypeFromName("Float"), std::nullopt);
}

TEST(StoreParser, EmptyTextAndWindowsLineEndings) {
  const auto empty = ParseStore("");
  EXPECT_TRUE(empty.sessions.empty());
  EXPECT_EQ(empty.missingItem, MissingItem::Fail);

  const auto crlf = ParseStore("[Session S]\r\nSimulate = true\r\nDriverSetup = a b\r\n");
  ASSERT_EQ(crlf.sessions.size(), 1u);
  EXPECT_TRUE(crlf.sessions[0].simulate);
  EXPECT_EQ(crlf.sessions[0].driverSetup, "a b");
}

TEST(StoreParser, MalformedFilesNameTheLineAtFault) {
  struct Case {
    const char* text;
    int line;
  };
  const Case cases[] = {
      {"Simulate = true\n", 1},
      {"[Session S\n", 1},
      {"[Gadget S]\n", 1},
      {"[Store Main]\n", 1},
      {"[Session ]\n", 1},
      {"[Session S]\n[Session S]\n", 2},
      {"[Session S]\nSimulate\n", 2},
      {"[Session S]\n = 1\n", 2},
      {"[Session S]\nSimulat = true\n", 2},
      {"[Session S]\nSimulate = yes\n", 2},
      {"[Session S]\nCache = true\ncache = false\n", 3},
      {"[Session S]\nInteger Count = 3000000000\n", 2},
      {"[Session S]\nInteger Count = 12abc\n", 2},
      {"[Session S]\nReal Level = high\n", 2},
      {"[Session S]\nString A = x\nString A = y\n", 3},
      {"[Session S]\nStructure Block = x\n", 2},
      {"[Session S / A]\n", 1},
      {"[Session S]\nString A = x\n[Session S / A]\n", 3},
      {"[Session S]\n[Session S / A / ]\n", 2},
      {"[Session S]\n[Session S / A]\nSimulate = true\n", 3},
      {"[HardwareAsset H / A]\n", 1},
      {"[Session S]\nVirtualRange Fan = 1-3\n", 2},
      {"[Session S]\nVirtualName Fan = FAN\nVirtualRange Fan = 3-1\n", 3},
      {"[Session S]\nVirtualName Fan = FAN\nVirtualRange Fan = 1..3\n", 3},
      {"[Session S]\nVirtualName Fan = FAN\nVirtualRange Fan = 1-3 from 2\n", 3},
      {"[Session S]\nVirtualName Fan = FAN\nVirtualName Fan = FAN\n", 3},
      {"[Session S]\nHardwareAsset = Missing\n\n", 2},
      {"[Session S]\nSoftwareModule = Missing\n", 2},
      {"[LogicalName L]\nSession = Missing\n[Session S]\n", 2},
      {"[LogicalName L]\n", 1},
      {"[Store]\nMissingItem = Maybe\n", 2},
      {"[SoftwareModule M]\nName A = x\nName A = y\n", 3},
      {"[SoftwareModule M]\nSimulate = true\n", 2},
  };
  for (const auto& c : cases) {
    try {
      ParseStore(c.text);
      ADD_FAILURE() << "accepted:\n" << c.text;
    } catch (const StoreFormatError& error) {
      EXPECT_EQ(error.line(), c.line) << c.text << error.what();
      EXPECT_EQ(std::string(error.what()).rfind("line " + std::to_string(c.line) + ": ", 0), 0u)
          << error.what();
    }
  }
}

}  // namespace

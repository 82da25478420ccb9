#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "standins/ivi_config/store_parser.h"
#include "tests/ivi_config/sample_store.h"

namespace {

using namespace korvane::ivi_config;

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

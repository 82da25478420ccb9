// Store files that must not hurt a reader: limits that name the line at fault, comments after
// values, the README's example, and the check that tools run on a file.
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "standins/ivi_config/store_parser.h"
#include "tests/ivi_config/com_test_support.h"

namespace {

using namespace korvane::ivi_config;

std::string Repeat(std::string_view text, int count) {
  std::string repeated;
  for (int i = 0; i < count; ++i) repeated += text;
  return repeated;
}

// The error's line, or 0 when the text parses.
int FailingLine(const std::string& text) {
  try {
    ParseStore(text);
    return 0;
  } catch (const StoreFormatError& error) {
    return error.line();
  }
}

// Each limit holds at its bound and fails one step beyond it, naming the line, before any work
// grows with the number the line asks for.
TEST(StoreLimits, EachLimitFailsOneStepBeyondItsBoundNamingTheLine) {
  const std::string session = "[Session S]\nVirtualName Fan = FAN\n";
  struct Case {
    std::string text;
    int line;  // 0: accepted
  } cases[] = {
      {"[Session S]\n[Session S" + Repeat(" / A", 64) + "]\n", 0},
      {"[Session S]\n[Session S" + Repeat(" / A", 65) + "]\n", 2},
      {"[Session S]\n[Session S" + Repeat("/A", 300000) + "]\n", 2},
      {session + "VirtualRange Fan = 1-10000\n", 0},
      {session + "VirtualRange Fan = 1-10001\n", 3},
      {session + "VirtualRange Fan = 1-5000\nVirtualRange Fan = 6-10001\n", 4},
      {session + "VirtualRange Fan = 0-2147483647\n", 3},
      {session + "VirtualRange Fan = 1-2 starting 2147483646\n", 0},
      {session + "VirtualRange Fan = 1-2 starting 2147483647\n", 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FailingLine(c.text), c.line) << c.text.substr(0, 120);
  }
}

TEST(StoreLimits, CommentsMayFollowValuesOutsideQuotes) {
  const StoreModel store = ParseStore(
      "[Store]\nMissingItem = Succeed   ; or Fail\n"
      "[Session S]  # the bench\n"
      "DriverSetup = Model=Q7730A; TraceName=a#b.xml\t; a comment\n"
      "String Quoted = \"x ; y # z\" ; a comment\n");
  EXPECT_EQ(store.missingItem, MissingItem::Succeed);
  ASSERT_EQ(store.sessions.size(), 1u);
  EXPECT_EQ(store.sessions[0].driverSetup, "Model=Q7730A; TraceName=a#b.xml");
  EXPECT_EQ(std::get<std::string>(store.sessions[0].dataComponents[0].value), "x ; y # z");
}

// The example of the README's "Configuration store file" section: its indented block.
std::string ReadmeExample() {
  std::ifstream readme(KORVANE_README, std::ios::binary);
  std::string line, example;
  bool inSection = false;
  while (std::getline(readme, line)) {
    if (line.starts_with("## ")) inSection = line == "## Configuration store file";
    if (inSection && line == "Rules:") break;
    if (inSection && (line.starts_with("    ") || (line.empty() && !example.empty()))) {
      example += line.empty() ? "\n" : line.substr(4) + "\n";
    }
  }
  return example;
}

TEST(StoreLimits, TheReadmeExampleParses) {
  const std::string example = ReadmeExample();
  ASSERT_NE(example.find("[Session BenchSession]"), std::string::npos) << example;
  const StoreModel store = ParseStore(example);
  const DriverSession* bench = ResolveSession(store, "Bench");
  ASSERT_NE(bench, nullptr);
  EXPECT_EQ(bench->hardwareAsset, "Bench chassis");
  EXPECT_EQ(bench->driverSetup, "Model=Q7730A; TraceName=bench.xml");
  ASSERT_EQ(bench->virtualNames.size(), 3u);
  EXPECT_EQ(bench->virtualNames[1].ranges.size(), 2u);
  EXPECT_EQ(store.softwareModules[0].nameTable[0].value, "Front_fan");
}

}  // namespace

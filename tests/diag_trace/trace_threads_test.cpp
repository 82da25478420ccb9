// Calls traced on several threads at once into one log (item calls beside a
// driver call) give whole records in a well-formed file.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "diag/trace_log.h"
#include "tests/diag_trace/trace_test_support.h"
#include "tests/diag_trace/xml_checker.h"

namespace korvane {
namespace {

TEST(TraceThreads, ConcurrentRecordsStayWholeAndNoneIsLost) {
  constexpr int kThreads = 4;
  constexpr LONG kCalls = 300;
  testing::TempFolder folder;
  CTraceLog log;
  log.SetFileName(folder.File("threads"));
  ASSERT_EQ(log.SetEnabled(true), S_OK);

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&log, t] {
      const std::string tag = "thread " + std::to_string(t) + " & <co>";
      BSTR name = SysAllocString(testing::Wide(tag.c_str()).c_str());
      for (LONG i = 0; i < kCalls; ++i) {
        LONG rpm = 0;
        testing::TraceCall(log, "IKorvaneFan", "get_RPM", S_OK,
                           {TraceParam::In("Name", name), TraceParam::Out("val", &rpm)},
                           [&] { rpm = i; });
      }
      SysFreeString(name);
    });
  }
  for (auto& thread : threads) thread.join();
  log.CloseFile();

  const testing::XmlDocument doc =
      testing::ParseXml(testing::ReadWholeFile(folder.File("threads.xml")));
  const auto methods = doc.root.Children("Method");
  ASSERT_EQ(methods.size(), static_cast<size_t>(kThreads * kCalls));
  std::map<std::string, std::set<std::string>> valuesByName;
  std::map<std::string, std::set<std::string>> threadIdsByName;
  for (const testing::XmlElement* m : methods) {
    ASSERT_EQ(m->children.size(), 4u);
    const std::string& name = m->children[0].Attribute("Value");
    valuesByName[name].insert(m->children[1].Attribute("Value"));
    threadIdsByName[name].insert(m->Attribute("Thread"));
    EXPECT_EQ(m->children[2].name, "HRESULT");
    EXPECT_EQ(m->children[3].name, "Execution");
  }
  ASSERT_EQ(valuesByName.size(), static_cast<size_t>(kThreads));
  for (const auto& [name, values] : valuesByName) {
    EXPECT_EQ(values.size(), static_cast<size_t>(kCalls)) << name;  // every call's own output
    EXPECT_EQ(threadIdsByName[name].size(), 1u) << name;
  }
}

}  // namespace
}  // namespace korvane

// Calls traced on several threads at once into one log (item calls beside a
// driver call) give whole records in a well-formed file.
#include <gtest/gtest.h>

#include <future>
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

// A traced call on a thread of its own whose member runs until released:
// its record is open in the file from construction to Finish.
class BlockedCall {
 public:
  BlockedCall(CTraceLog& log, const char* member)
      : thread_([this, &log, member] {
          testing::TraceCall(log, "IKorvaneFan", member, S_OK, {}, [this] {
            running_.set_value();
            release_.get_future().wait();
          });
        }) {
    running_.get_future().wait();
  }
  ~BlockedCall() { Finish(); }
  BlockedCall(const BlockedCall&) = delete;  // owns a thread
  BlockedCall& operator=(const BlockedCall&) = delete;

  void Finish() {
    if (!thread_.joinable()) return;
    release_.set_value();
    thread_.join();
  }

 private:
  std::promise<void> running_, release_;
  std::thread thread_;
};

// Calls of other threads run beside the driver's calls and its Close: a
// record that ends while another is open follows that one, the other
// thread's record does not make the pending close, and the file ends after
// the Close record, also when Close ends while another record is open.
TEST(TraceThreads, RecordsThatEndWhileAnotherIsOpenFollowItAndCloseStaysLast) {
  testing::TempFolder folder;
  const OleString path = folder.File("overlap.xml");
  CTraceLog log;
  log.SetFileName(path);
  ASSERT_EQ(log.SetEnabled(true), S_OK);
  auto text = [&path] { return testing::ReadWholeFile(path); };

  BlockedCall first(log, "get_RPM");
  testing::TraceCall(log, "IKorvaneFans", "get_Count");
  EXPECT_EQ(text().find("get_Count"), std::string::npos) << "waits for the open record";
  HRESULT hr = S_OK;
  CMethodTrace close(&log, "IIviDriver", "Close", &hr);
  close.WriteStart();
  log.MarkClosePending();
  first.Finish();
  EXPECT_TRUE(log.closePending()) << "another thread's record made the close";

  BlockedCall second(log, "get_Temperature");
  close.Close();
  EXPECT_EQ(text().find("</TraceRecords>"), std::string::npos) << "ended inside a record";
  second.Finish();

  EXPECT_FALSE(log.closePending());
  const auto doc = testing::ParseXml(text());  // ended by the close
  std::vector<std::string> names;
  for (const testing::XmlElement* m : doc.root.Children("Method")) {
    names.push_back(m->Attribute("Name"));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"get_RPM", "get_Count", "get_Temperature", "Close"}));
}

}  // namespace
}  // namespace korvane

// Forked children, killed while four threads trace calls once a random
// number of calls has completed, leave every record their threads completed,
// whole, and the start of every call in flight (the threads count both in
// memory shared with the test). POSIX only; on Windows see
// TraceLogTest.AProcessThatDiesLeavesItsRecordsAndTheStartOfItsCall.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "diag/trace_log.h"
#include "tests/diag_trace/trace_test_support.h"
#include "tests/diag_trace/xml_checker.h"

namespace korvane {
namespace {

constexpr int kThreads = 4;
constexpr int kKills = 120;
constexpr int kMostCallsBeforeKill = 80;

// What the child's threads tell the test; lives in a shared mapping.
struct Progress {
  std::atomic<DWORD> threadId[kThreads];
  std::atomic<LONG> started[kThreads];    // calls whose start WriteStart has written
  std::atomic<LONG> completed[kThreads];  // calls whose record Close has written
  std::atomic<LONG> total;
};

[[noreturn]] void RunChild(const OleString& path, Progress& progress, LONG killAfter) {
  CTraceLog log;
  log.SetFileName(path);
  if (FAILED(log.SetEnabled(true))) _exit(3);
  for (int t = 0; t < kThreads; ++t) {
    std::thread([&log, &progress, t] {
      progress.threadId[t] = GetCurrentThreadId();
      for (LONG i = 0;; ++i) {
        HRESULT hr = S_OK;
        LONG rpm = 0;
        CMethodTrace trace(&log, "IKorvaneFan", "get_RPM", &hr);
        trace.Add(TraceParam::In("Index", i));
        trace.Add(TraceParam::Out("val", &rpm));
        trace.WriteStart();
        progress.started[t] = i + 1;
        rpm = 1000 + i;
        trace.Close();
        progress.completed[t] = i + 1;
        ++progress.total;
      }
    }).detach();
  }
  while (progress.total.load() < killAfter) std::this_thread::yield();
  kill(getpid(), SIGKILL);
  _exit(4);
}

// Checks one cut file against what the child's threads had done.
void CheckCutTrace(const std::string& text, const Progress& progress) {
  ASSERT_EQ(text.find('\0'), std::string::npos);
  testing::XmlDocument doc;
  ASSERT_NO_THROW(doc = testing::ParseXml(testing::CompleteCutTrace(text))) << text;
  std::map<std::string, std::vector<const testing::XmlElement*>> byThread;
  for (const testing::XmlElement* m : doc.root.Children("Method")) {
    byThread[m->Attribute("Thread")].push_back(m);
  }
  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE("thread " + std::to_string(t));
    const auto& records = byThread[std::to_string(static_cast<int32_t>(progress.threadId[t]))];
    LONG whole = 0;
    LONG startOnly = 0;
    for (const testing::XmlElement* m : records) {
      const size_t index = static_cast<size_t>(whole + startOnly);
      ASSERT_EQ(m->children.at(0).Attribute("Value"), std::to_string(index))
          << "in order, none lost";
      if (m->children.size() == 4) {
        ASSERT_EQ(startOnly, 0) << "a start without its rest before a whole record";
        EXPECT_EQ(m->children[1].Attribute("Value"), std::to_string(1000 + whole));
        EXPECT_EQ(m->children[3].name, "Execution");
        ++whole;
      } else {
        ASSERT_EQ(m->children.size(), 1u) << "a record cut inside its rest";
        ++startOnly;
      }
    }
    const LONG completed = progress.completed[t];
    const LONG started = progress.started[t];
    EXPECT_GE(whole, completed) << "a completed record is missing";
    EXPECT_LE(whole + startOnly, started + 1) << "more records than calls";
    EXPECT_LE(startOnly, 1);
    if (started > completed) {
      EXPECT_EQ(whole + startOnly, started) << "the call in flight";
    }
  }
}

TEST(TraceCrash, KillsAtRandomPointsLeaveEveryCompletedRecordAndEveryStartWhole) {
  testing::TempFolder folder;
  auto* progress = static_cast<Progress*>(
      mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(progress, MAP_FAILED);
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::uniform_int_distribution<LONG> calls(0, kMostCallsBeforeKill);
  for (int kill = 0; kill < kKills && !HasFatalFailure(); ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill));
    new (progress) Progress{};
    const OleString path = folder.File("cut" + std::to_string(kill) + ".xml");
    const LONG killAfter = calls(random);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) RunChild(path, *progress, killAfter);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    CheckCutTrace(testing::ReadTraceText(path), *progress);
    DeleteFileW(path.c_str());
  }
  munmap(progress, sizeof(Progress));
}

}  // namespace
}  // namespace korvane

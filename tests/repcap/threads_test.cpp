// Item calls running beside driver calls on other threads: neither waits for
// the other's lock, each thread keeps its own error information and trace
// records, and a Close or a final release of the driver in the middle of
// item calls waits for the call in flight and detaches the item cleanly.

#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "com/module_lock.h"
#include "repcap_fixture.h"
#include "tests/support/com_thread.h"

namespace korvane::testing {
namespace {

namespace vc = virtual_chassis;

// Calls `call` on an item until it fails, or once more after `gone` is set:
// that call began after the driver let go of the item and must fail. Counts
// the calls in `calls`; returns the last status.
HRESULT CallUntilDetached(const std::function<HRESULT()>& call, const std::atomic<bool>& gone,
                          std::atomic<int>& calls) {
  HRESULT status = S_OK;
  for (bool last = false; status == S_OK && !last; calls.fetch_add(1)) {
    last = gone.load();
    status = call();
  }
  return status;
}

// Waits until `calls` shows that the other thread has made a call.
void AwaitFirstCall(const std::atomic<int>& calls) {
  while (calls.load() == 0) std::this_thread::yield();
}

// The Method records of a trace file: the interface and the status of each.
struct TraceRecord {
  std::string interfaceName;
  std::string memberName;
  std::string status;
};

std::string AttributeOf(const std::string& record, const std::string& name) {
  const std::string key = name + "=\"";
  const size_t start = record.find(key);
  if (start == std::string::npos) return {};
  const size_t end = record.find('"', start + key.size());
  return record.substr(start + key.size(), end - start - key.size());
}

std::vector<TraceRecord> ReadTraceRecords(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  const std::string text = content.str();
  std::vector<TraceRecord> records;
  for (size_t start = text.find("<Method "); start != std::string::npos;) {
    const size_t next = text.find("<Method ", start + 1);
    const std::string record = text.substr(start, next - start);
    // A whole record: closed once, before the next one opens.
    EXPECT_EQ(record.find("</Method>"), record.rfind("</Method>")) << record;
    EXPECT_NE(std::string::npos, record.find("</Method>")) << record;
    const size_t status = record.find("<HRESULT ");
    records.push_back(
        {AttributeOf(record, "Interface"), AttributeOf(record, "Name"),
         status == std::string::npos ? "" : AttributeOf(record.substr(status), "Value")});
    start = next;
  }
  return records;
}

using ThreadTest = RepCapTest;

TEST_F(ThreadTest, ItemCallsBesideDriverCallsKeepTheirOwnErrorsAndRecords) {
  constexpr int kRounds = 200;
  constexpr char kTraceFile[] = "repcap_threads_trace.xml";
  std::remove(kTraceFile);
  ASSERT_EQ(S_OK,
            InitializeHardware(OLESTR("DriverSetup=Trace=true, TraceName=repcap_threads_trace")));
  vc::SetFanPresent(1, false);
  ComPtr<IKorvaneFan> fan = Fan(OLESTR("FAN2"));
  ComPtr<IKorvaneFans> fans = Face<IKorvaneFans>();
  {
    ComThread itemCaller([&] {
      for (int i = 0; i < kRounds; ++i) {
        LONG rpm = 0;
        ExpectError(kUnknownPhysicalIdentifier, IID_IKorvaneFan,
                    OleString(kUnknownSelectorText) + OLESTR("\r\nFan.RPM"), fan->get_RPM(&rpm));
      }
    });
    ComThread driverCaller([&] {
      for (int i = 0; i < kRounds; ++i) {
        ScopedBstr name;
        ExpectError(kInvalidValue, IID_IKorvaneFans,
                    OLESTR("Korvane: Invalid value (0) for method get_Name, parameter Index."),
                    fans->get_Name(0, name.Receive()));
      }
    });
  }
  ASSERT_EQ(S_OK, driver_->Close());

  int itemRecords = 0;
  int driverRecords = 0;
  for (const TraceRecord& record : ReadTraceRecords(kTraceFile)) {
    if (record.interfaceName == "IKorvaneFan") {
      ++itemRecords;
      EXPECT_EQ("0x80047067", record.status);
    } else if (record.interfaceName == "IKorvaneFans" && record.memberName == "get_Name") {
      ++driverRecords;
      EXPECT_EQ("0x80047010", record.status);
    }
  }
  EXPECT_EQ(kRounds, itemRecords);
  EXPECT_EQ(kRounds, driverRecords);
  std::remove(kTraceFile);
}

TEST_F(ThreadTest, CloseWaitsForTheItemCallInFlightAndDetachesTheItem) {
  for (bool simulated : {true, false}) {
    SCOPED_TRACE(simulated ? "simulated" : "hardware");
    ASSERT_EQ(S_OK, simulated ? InitializeSimulated() : InitializeHardware());
    ComPtr<IKorvaneVoltageRail> rail = Rail(OLESTR("VPLUS_3_3"));
    std::atomic<int> calls{0};
    std::atomic<bool> closed{false};
    ComThread itemCaller([&] {
      double volts = 0;
      const HRESULT status =
          CallUntilDetached([&] { return rail->get_Voltage(&volts); }, closed, calls);
      ExpectError(kCannotRecover, IID_IKorvaneVoltageRail, kDetachedText, status);
    });
    AwaitFirstCall(calls);
    EXPECT_EQ(S_OK, driver_->Close());
    closed.store(true);
  }
  EXPECT_EQ(0u, vc::OpenSessionCount());
}

TEST_F(ThreadTest, TheLastClientReleaseWaitsForTheItemCallInFlight) {
  const LONG withoutDriver = ModuleLockCount().load() - 1;
  ASSERT_EQ(S_OK, InitializeHardware());
  ComPtr<IKorvaneVoltageRailAlarm> alarm = RailAlarm(OLESTR("VMINUS_12_0"));
  std::atomic<int> calls{0};
  std::atomic<bool> released{false};
  {
    ComThread itemCaller([&] {
      bool high = false;
      auto call = [&] {
        high = !high;
        return high ? alarm->put_MaxVoltage(-12.5) : alarm->put_MinVoltage(-11.5);
      };
      EXPECT_EQ(kCannotRecover, CallUntilDetached(call, released, calls));
    });
    AwaitFirstCall(calls);
    driver_.Reset();
    released.store(true);
  }
  EXPECT_EQ(0u, vc::InstanceCount());
  EXPECT_EQ(withoutDriver + 1, ModuleLockCount().load());
  alarm.Reset();
  EXPECT_EQ(withoutDriver, ModuleLockCount().load());
}

}  // namespace
}  // namespace korvane::testing

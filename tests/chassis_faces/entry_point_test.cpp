// What every member gets from its entry point, shown on IKorvaneSystem.Uptime:
// the order of its checks, out of memory inside the member, and one call at a
// time per object.

#include <filesystem>
#include <optional>
#include <thread>

#include "faces_fixture.h"
#include "platform/scoped_bstr.h"
#include "repcap/korvane_fan.h"
#include "tests/support/chassis_control.h"
#include "tests/support/com_thread.h"
#include "tests/support/temp_folder.h"

namespace korvane::testing {
namespace {

constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x8004701D);
constexpr HRESULT kNullPointer = static_cast<HRESULT>(0x80047058);

using EntryPointTest = FacesTest;

// Not being initialized outranks a null pointer: the client hears first that
// there is no session.
TEST_F(EntryPointTest, ChecksTheSessionBeforeThePointers) {
  struct Case {
    bool initialized;
    HRESULT status;
    const OLECHAR* description;
  };
  const Case cases[] = {
      {false, kNotInitialized,
       OLESTR("Korvane: A connection to the instrument has not been established.")},
      {true, kNullPointer,
       OLESTR("Korvane: Null pointer passed for method get_Uptime, parameter val.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.initialized ? "initialized" : "not initialized");
    if (c.initialized) StartHardware();
    EXPECT_EQ(c.status, faces_.system->get_Uptime(nullptr));
    EXPECT_EQ(OleString(c.description), TakeDescription());
  }
}

TEST_F(EntryPointTest, OutOfMemoryInsideAMemberIsOutOfMemory) {
  StartHardware();
  const ChassisCallOutOfMemory outOfMemory(vc::Operation::kGetTimeSinceBoot);
  double uptime = 7;
  EXPECT_EQ(E_OUTOFMEMORY, faces_.system->get_Uptime(&uptime));
  EXPECT_EQ(0, uptime);
}

// One thread is held inside a member, at its chassis call, until released;
// meanwhile no other thread may enter the object.
TEST_F(EntryPointTest, HoldsTheObjectForTheWholeCall) {
  StartHardware();
  Gate gate;
  const BlockChassisCall blocked(vc::Operation::kGetTimeSinceBoot, gate);
  HRESULT status = E_FAIL;
  {
    ComThread caller([&] {
      double uptime = 0;
      status = faces_.system->get_Uptime(&uptime);
    });
    gate.AwaitArrivals(1);
    const bool enteredBeside = Object().ObjectLock().TryEnter();
    if (enteredBeside) Object().ObjectLock().Leave();
    EXPECT_FALSE(enteredBeside) << "another thread entered the object during a call";
    gate.Open();
  }
  EXPECT_EQ(S_OK, status);
  EXPECT_TRUE(Object().ObjectLock().TryEnter());
  Object().ObjectLock().Leave();
}

// Forced: while the log is held, a driver Close and a fan's call wait for it
// holding no object lock, so Close can then detach the fan (a fan call
// holding its lock while it waits would deadlock there).
TEST_F(EntryPointTest, CallsWaitForTheTraceBeforeTakingTheirObjectsLock) {
  TempFolder folder;
  StartHardware((OLESTR("DriverSetup=Trace=true, TraceName=") + folder.File("calls")).c_str());
  ComPtr<IKorvaneFans> fans;
  ASSERT_EQ(S_OK, faces_.korvane->get_Fans(fans.GetAddressOf()));
  ComPtr<IKorvaneFan> fan;
  const ScopedBstr name(OLESTR("FAN1"));
  ASSERT_EQ(S_OK, fans->get_Item(name.Get(), fan.GetAddressOf()));
  KorvaneFan& fanObject = *static_cast<KorvaneFan*>(fan.Get());
  CTraceLog& log = Object().TraceLog();
  ASSERT_TRUE(log.IsEnabled());
  HRESULT closed = E_FAIL, read = E_FAIL;
  std::optional<TraceCallHold> held(&log);
  {
    ComThread closer([&] { closed = faces_.korvane->Close(); });
    ComThread reader([&] {
      LONG rpm = 0;
      read = fan->get_RPM(&rpm);
    });
    while (log.holds() < 3) std::this_thread::yield();  // both wait for the log
    for (CriticalSection* lock : {&Object().ObjectLock(), &fanObject.ObjectLock()}) {
      const bool free = lock->TryEnter();
      if (free) lock->Leave();
      EXPECT_TRUE(free) << "a call waiting for the trace holds its object's lock";
    }
    held.reset();
  }
  EXPECT_EQ(S_OK, closed);
  EXPECT_TRUE(read == S_OK || read == static_cast<HRESULT>(0x80047000)) << read;
}

// A fault of the trace file leaves the call's own result; the call's error
// information and the next reads of TraceEnabled say why tracing stopped.
TEST_F(EntryPointTest, ATraceFileFaultIsReportedBesideTheCallsOwnResult) {
  TempFolder folder;
  const OleString path = folder.File("calls.xml");
  StartHardware((OLESTR("DriverSetup=Trace=true, TraceName=") + path).c_str());
  double uptime = 0;
  ASSERT_EQ(S_OK, faces_.system->get_Uptime(&uptime));
  try {
    std::filesystem::resize_file(std::filesystem::path(path), 0);  // another program cuts it
  } catch (const std::filesystem::filesystem_error&) {
    GTEST_SKIP() << "this system keeps other programs from changing an open trace file";
  }
  const OleString why =
      OLESTR("Korvane: Tracing stopped: the trace file ") + path +
      OLESTR(
          " was cut or changed by another program. Switch tracing on again to start a new file.");
  OleString description;  // of the call that found the cut, within 64 calls
  for (int call = 0; call < 64 && description.empty(); ++call) {
    EXPECT_EQ(S_OK, faces_.system->get_Uptime(&uptime));
    description = TakeDescription();
  }
  EXPECT_EQ(why, description);
  VARIANT_BOOL on = VARIANT_TRUE;
  EXPECT_EQ(S_OK, faces_.system->get_TraceEnabled(&on));
  EXPECT_EQ(VARIANT_FALSE, on);
  EXPECT_EQ(why, TakeDescription());
  // Switching on again starts a new file, and the reason is gone.
  EXPECT_EQ(S_OK, faces_.system->put_TraceEnabled(VARIANT_TRUE));
  EXPECT_EQ(S_OK, faces_.system->get_TraceEnabled(&on));
  EXPECT_EQ(VARIANT_TRUE, on);
  EXPECT_EQ(OleString(), TakeDescription());
}

}  // namespace
}  // namespace korvane::testing

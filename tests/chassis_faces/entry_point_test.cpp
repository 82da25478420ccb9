// What every member gets from its entry point, shown on IKorvaneSystem.Uptime:
// the order of its checks, out of memory inside the member, and one call at a
// time per object.

#include "faces_fixture.h"
#include "tests/support/chassis_control.h"
#include "tests/support/com_thread.h"

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

}  // namespace
}  // namespace korvane::testing

// The trigger bus: the routing table between the driver's values and the
// chassis's, both ways; the line and configuration checks; the simulated
// routing.

#include <functional>
#include <string>

#include "faces_fixture.h"

namespace korvane::testing {
namespace {

using TriggerBusTest = FacesTest;

struct Routing {
  KorvaneTrigBusEnum configuration;
  int32_t chassis;
};
const Routing kRoutings[] = {
    {KorvaneTrigBusIsolateAll, 0}, {KorvaneTrigBus1To2, 1},    {KorvaneTrigBus1To2To3, 5},
    {KorvaneTrigBus2To1, 2},       {KorvaneTrigBus2To3, 3},    {KorvaneTrigBus2To1And3, 7},
    {KorvaneTrigBus3To2, 4},       {KorvaneTrigBus3To2To1, 6},
};

KorvaneTrigBusEnum Connection(const Faces& faces, LONG line) {
  auto value = static_cast<KorvaneTrigBusEnum>(-1);
  EXPECT_EQ(S_OK, faces.triggerBus->Connection(line, &value));
  return value;
}

TEST_F(TriggerBusTest, ConnectPassesTheChassisRoutingOfEachConfiguration) {
  StartHardware();
  LONG line = 0;
  for (const Routing& r : kRoutings) {
    SCOPED_TRACE(r.configuration);
    vc::ClearCalls();
    EXPECT_EQ(S_OK, faces_.triggerBus->Connect(line, r.configuration));
    EXPECT_EQ(std::vector<std::string>{"setTriggerRouting(" + std::to_string(line) + ", " +
                                       std::to_string(r.chassis) + ")"},
              ChassisCalls());
    EXPECT_EQ(r.configuration, Connection(faces_, line));
    line = (line + 3) % 8;
  }
}

TEST_F(TriggerBusTest, ConnectionMapsEachChassisRoutingBack) {
  StartHardware();
  for (const Routing& r : kRoutings) {
    SCOPED_TRACE(r.chassis);
    vc::ForceTriggerRouting(6, r.chassis);
    EXPECT_EQ(r.configuration, Connection(faces_, 6));
  }
}

TEST_F(TriggerBusTest, ARoutingOutsideTheTableIsAnUnexpectedResponse) {
  StartHardware();
  for (int32_t routing : {8, -1, 255}) {
    SCOPED_TRACE(routing);
    vc::ForceTriggerRouting(1, routing);
    auto value = KorvaneTrigBus3To2;
    EXPECT_EQ(E_IVI_UNEXPECTED_RESPONSE, faces_.triggerBus->Connection(1, &value));
    EXPECT_EQ(OLESTR("Korvane: Unexpected response from the instrument."), TakeDescription());
  }
}

// Parameter: whether the session simulates.
class TriggerBusRangeTest : public FacesTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TriggerBusRangeTest, LinesAndConfigurationsOutsideZeroToSevenChangeNothing) {
  struct Case {
    LONG line;
    int32_t configuration;
    const OLECHAR* description;
  };
  const Case cases[] = {
      {8, KorvaneTrigBus1To2,
       OLESTR("Korvane: Invalid value (8) for method TriggerBus.Connect, parameter Trig.")},
      {-1, KorvaneTrigBus1To2,
       OLESTR("Korvane: Invalid value (-1) for method TriggerBus.Connect, parameter Trig.")},
      {0, 8,
       OLESTR("Korvane: Invalid value (8) for method TriggerBus.Connect, parameter "
              "BusConfiguration.")},
      {0, -1,
       OLESTR("Korvane: Invalid value (-1) for method TriggerBus.Connect, parameter "
              "BusConfiguration.")},
      {9, 9,  // the line is checked first
       OLESTR("Korvane: Invalid value (9) for method TriggerBus.Connect, parameter Trig.")},
  };
  if (GetParam()) {
    StartSimulated();
  } else {
    StartHardware();
  }
  ASSERT_EQ(S_OK, faces_.triggerBus->Connect(0, KorvaneTrigBus3To2));
  vc::ClearCalls();
  for (const Case& c : cases) {
    SCOPED_TRACE(OleToAnsi(c.description));
    EXPECT_EQ(E_IVI_INVALID_VALUE,
              faces_.triggerBus->Connect(c.line, static_cast<KorvaneTrigBusEnum>(c.configuration)));
    EXPECT_EQ(c.description, TakeDescription());
  }
  for (LONG line : {8, -1}) {
    auto value = KorvaneTrigBusIsolateAll;
    EXPECT_EQ(E_IVI_INVALID_VALUE, faces_.triggerBus->Connection(line, &value));
    EXPECT_EQ(OLESTR("Korvane: Invalid value (") + AnsiToOle(std::to_string(line)) +
                  OLESTR(") for method TriggerBus.Connection, parameter Trig."),
              TakeDescription());
  }
  EXPECT_TRUE(ChassisCalls().empty());
  EXPECT_EQ(KorvaneTrigBus3To2, Connection(faces_, 0));
}

INSTANTIATE_TEST_SUITE_P(SimulatedAndHardware, TriggerBusRangeTest, ::testing::Bool());

TEST_F(TriggerBusTest, SimulatedRoutingUntilDisconnectedOrReset) {
  StartSimulated();
  const std::function<HRESULT()> isolators[] = {
      [&] { return faces_.triggerBus->DisconnectAll(); },
      [&] { return faces_.triggerBus->ConnectDefault(); },
      [&] { return faces_.utility->Reset(); },
  };
  for (const auto& isolate : isolators) {
    ASSERT_EQ(S_OK, faces_.triggerBus->Connect(3, KorvaneTrigBus2To1And3));
    ASSERT_EQ(S_OK, faces_.triggerBus->Connect(7, KorvaneTrigBus3To2To1));
    EXPECT_EQ(KorvaneTrigBus2To1And3, Connection(faces_, 3));
    EXPECT_EQ(KorvaneTrigBus3To2To1, Connection(faces_, 7));
    EXPECT_EQ(KorvaneTrigBusIsolateAll, Connection(faces_, 4));
    ASSERT_EQ(S_OK, isolate());
    for (LONG line = 0; line < 8; ++line)
      EXPECT_EQ(KorvaneTrigBusIsolateAll, Connection(faces_, line));
  }
  EXPECT_TRUE(vc::Calls().empty());
}

}  // namespace
}  // namespace korvane::testing

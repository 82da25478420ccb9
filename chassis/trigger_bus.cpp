// IKorvaneTriggerBus: the routing of the eight PXI trigger lines between the
// chassis's three trigger-bus segments. While simulating, the routing lives
// in the simulated chassis settings, as driver values.

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "chassis/chassis_member.h"

namespace korvane {
namespace {

constexpr uint32_t kTriggerLines = SimulatedChassisSettings::kTriggerLines;

// The chassis routing of each KorvaneTrigBusEnum value, indexed by that
// value. Connect maps through it one way, Connection the other.
constexpr std::array<Korvane_Fundamental_ValidTriggerRoutings, 8> kChassisRouting{
    Korvane_Fundamental_TrigIsolated,     // KorvaneTrigBusIsolateAll
    Korvane_Fundamental_TrigBus1To2,      // KorvaneTrigBus1To2
    Korvane_Fundamental_TrigBus1To2To3,   // KorvaneTrigBus1To2To3
    Korvane_Fundamental_TrigBus2To1,      // KorvaneTrigBus2To1
    Korvane_Fundamental_TrigBus2To3,      // KorvaneTrigBus2To3
    Korvane_Fundamental_TrigBus2To1And3,  // KorvaneTrigBus2To1And3
    Korvane_Fundamental_TrigBus3To2,      // KorvaneTrigBus3To2
    Korvane_Fundamental_TrigBus3To2To1,   // KorvaneTrigBus3To2To1
};

std::optional<KorvaneTrigBusEnum> FromChassis(Korvane_Fundamental_ValidTriggerRoutings routing) {
  const auto found = std::find(kChassisRouting.begin(), kChassisRouting.end(), routing);
  if (found == kChassisRouting.end()) return std::nullopt;
  return static_cast<KorvaneTrigBusEnum>(found - kChassisRouting.begin());
}

// Trigger lines are compared as unsigned 32-bit numbers, so a negative line
// is out of range.
HRESULT CheckTriggerLine(const ChassisMember& member, LONG line) {
  return member.CheckRange(line, 0, kTriggerLines - 1);
}

}  // namespace

HRESULT Korvane::IKorvaneTriggerBus_Connect(LONG Trig, KorvaneTrigBusEnum BusConfiguration) {
  const OLECHAR* const method = OLESTR("TriggerBus.Connect");
  const ChassisMember member(*this, method, OLESTR("Trig"));
  if (HRESULT status = CheckTriggerLine(member, Trig); FAILED(status)) return status;
  const auto configuration = static_cast<int32_t>(BusConfiguration);
  if (static_cast<uint32_t>(configuration) >= kChassisRouting.size()) {
    // The value text would be the configuration's name, but the enumeration
    // names only the values 0 to 7, which are never refused: a refused
    // value is shown as its number in decimal.
    return Reporter().ReportInvalidValue(method, OLESTR("BusConfiguration"),
                                         AnsiToOle(std::to_string(configuration)));
  }
  const Korvane_Fundamental_ValidTriggerRoutings routing = kChassisRouting[configuration];
  if (IsSimulating()) {
    SimulatedSettings().SetRouting(Trig, BusConfiguration);
    return S_OK;
  }
  return member.Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.setTriggerRouting(static_cast<uint32_t>(Trig), routing);
  });
}

HRESULT Korvane::IKorvaneTriggerBus_DisconnectAll() {
  if (IsSimulating()) {
    SimulatedSettings().IsolateAllLines();
    return S_OK;
  }
  return ChassisMember(*this, OLESTR("TriggerBus.DisconnectAll"))
      .Run([](Korvane_Fundamental_Api& chassis) {
        return chassis.setTriggerRoutingAllDisconnected();
      });
}

// The chassis decides what its static defaults are; while simulating they
// are all lines isolated.
HRESULT Korvane::IKorvaneTriggerBus_ConnectDefault() {
  if (IsSimulating()) {
    SimulatedSettings().IsolateAllLines();
    return S_OK;
  }
  return ChassisMember(*this, OLESTR("TriggerBus.ConnectDefault"))
      .Run([](Korvane_Fundamental_Api& chassis) {
        return chassis.setTriggerRoutingToStaticDefaults();
      });
}

// A routing the chassis should not report is an unexpected response, and the
// caller's value stays as it was.
HRESULT Korvane::IKorvaneTriggerBus_Connection(LONG Trig, KorvaneTrigBusEnum* val) {
  const OLECHAR* const method = OLESTR("TriggerBus.Connection");
  const ChassisMember member(*this, method, OLESTR("Trig"));
  if (HRESULT status = CheckTriggerLine(member, Trig); FAILED(status)) return status;
  if (HRESULT status = ChassisMember(*this, method, OLESTR("BusConfiguration")).CheckOut(val);
      FAILED(status)) {
    return status;
  }
  if (IsSimulating()) {
    *val = SimulatedSettings().Routing(Trig);
    return S_OK;
  }
  auto routing = Korvane_Fundamental_ValidTriggerRoutings{};
  if (HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
        return chassis.getTriggerRouting(static_cast<uint32_t>(Trig), &routing);
      });
      FAILED(status)) {
    return status;
  }
  const std::optional<KorvaneTrigBusEnum> configuration = FromChassis(routing);
  if (!configuration) return Reporter().ReportUnexpectedResponse();
  *val = *configuration;
  return S_OK;
}

}  // namespace korvane

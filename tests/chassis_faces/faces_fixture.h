#pragma once
// What the tests of the driver's faces share: the driver object's faces as a
// client reaches them, the chassis calls a member made, the thread's error
// description, and the driver object itself for calls on a member's
// implementation without its entry point.

#include <string>
#include <vector>

#include "diag/message_table.h"
#include "driver/korvane.h"
#include "tests/driver/driver_fixture.h"

namespace korvane::testing {

namespace vc = virtual_chassis;

// Every face of the driver object that this suite reaches.
struct Faces {
  ComPtr<IKorvane> korvane;
  ComPtr<IIviDriverOperation> operation;
  ComPtr<IIviDriverIdentity> identity;
  ComPtr<IIviDriverUtility> utility;
  ComPtr<IKorvaneSystem> system;
  ComPtr<IKorvaneReferenceClock> clock;
  ComPtr<IKorvaneReferenceClockAlarm> clockAlarm;
  ComPtr<IKorvaneTriggerBus> triggerBus;
  ComPtr<IKorvaneTemperatureSensorsAlarm> temperatureAlarm;
  ComPtr<IKorvaneFansAlarm> fanAlarm;
  ComPtr<IKorvaneFansControl> fanControl;
};

// The interface `Interface` of `object`; empty when it has none.
template <class Interface>
ComPtr<Interface> QueryFace(IUnknown* object) {
  ComPtr<Interface> face;
  object->QueryInterface(IidOf<Interface>(), face.GetVoidAddressOf());
  return face;
}

class FacesTest : public DriverTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // An initialized session with an empty call record.
  void StartHardware(const OLECHAR* options = OLESTR(""));
  void StartSimulated();

  // The driver object behind the client's interface.
  Korvane& Object() { return *static_cast<Korvane*>(static_cast<IKorvane*>(driver_.Get())); }

  Faces faces_;
};

// The chassis calls recorded since the record was last cleared, without the
// isInitialized() checks that precede every use of the chassis.
std::vector<std::string> ChassisCalls();

// The description of the thread's error information, taken; empty when there is none.
OleString TakeDescription();

// The text of a BSTR.
inline OleString Text(const ScopedBstr& text) {
  return OleString(BstrView(text.Get()));
}

// A chassis status that no member handles itself, described by the chassis
// as "Controller fault", and the description a member's report of it has.
inline constexpr int32_t kControllerFault = Korvane_Fundamental_StatusControllerFault;
void DescribeControllerFault();
OleString ControllerFaultText(const OLECHAR* method);

}  // namespace korvane::testing

#pragma once
// Korvane: the concrete driver class. It fills the framework's lifecycle
// hooks with the chassis work (opening and closing the chassis through the
// chassis access library, reading the identity from it), owns the chassis
// access object, the simulated chassis settings and the self-test record,
// and implements the members of its interfaces (IFoo_Member functions, one
// per catalogue entry; the entry-point layers call them).

#include <memory>

#include "chassis/korvane_fundamental_api.h"
#include "chassis/simulated_settings.h"
#include "com/entry_layers.h"
#include "com/identifiers.h"
#include "com/interface_map.h"
#include "driver/driver_template.h"
#include "driver/self_test_record.h"

namespace korvane {

#define KORVANE_DECLARE_IMPLEMENTATION(Interface, Member, Flags, Params, Args) \
  HRESULT Interface##_##Member Params;

class Korvane : public _Driver<Korvane>,
                public IKorvaneEntry<Korvane>,
                public IIviDriverOperationEntry<Korvane>,
                public IIviDriverIdentityEntry<Korvane>,
                public IIviDriverUtilityEntry<Korvane>,
                public IKorvaneSystemEntry<Korvane>,
                public IKorvaneTemperatureSensorsEntry<Korvane>,
                public IKorvaneFansEntry<Korvane>,
                public IKorvaneReferenceClockEntry<Korvane>,
                public IKorvaneTriggerBusEntry<Korvane>,
                public IKorvaneVoltageRailsEntry<Korvane>,
                public IKorvaneTemperatureSensorsAlarmEntry<Korvane>,
                public IKorvaneFansAlarmEntry<Korvane>,
                public IKorvaneReferenceClockAlarmEntry<Korvane>,
                public IKorvaneFansControlEntry<Korvane> {
 public:
  static constexpr const CLSID& kClassId = kClsidKorvane;
  static DriverInfo MakeDriverInfo();

  Korvane();
  ~Korvane() override;

  void* FindInterface(REFIID riid);
  static bool SupportsErrorInfo(REFIID riid);

  // Runs a chassis status that a member did not handle itself through the
  // translation into the driver's errors.
  HRESULT TranslateChassisStatus(int32_t status, const OLECHAR* methodName);
  // The common chassis reset of Initialize, Reset, Disable and ResetWithDefaults.
  HRESULT ResetChassis(const OLECHAR* methodName);

  // The open chassis, or null when there is none or it is not open.
  Korvane_Fundamental_Api* OpenChassis() const;
  SimulatedChassisSettings& SimulatedSettings() { return simulated_; }
  SelfTestRecord& SelfTestResults() { return selfTest_; }

  // The member lists are macro calls, not statements: keep them one a line.
  // clang-format off
  KORVANE_MEMBERS_IIviDriver(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvane(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IIviDriverOperation(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IIviComponentIdentity(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IIviDriverIdentity(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IIviDriverUtility(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneSystem(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneTemperatureSensors(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneFans(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneReferenceClock(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneTriggerBus(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneVoltageRails(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneTemperatureSensorsAlarm(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneFansAlarm(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneReferenceClockAlarm(KORVANE_DECLARE_IMPLEMENTATION)
  KORVANE_MEMBERS_IKorvaneFansControl(KORVANE_DECLARE_IMPLEMENTATION)

 protected:
  HRESULT InitializeIO() override;
  // clang-format on
  HRESULT ReadInstrumentIdentity() override;
  void CloseIO() override;
  HRESULT OnInitialized() override;
  void OnClose() override;
  // Temperature sensors, fans and voltage rails (repcap/korvane_rep_caps.h).
  std::span<const RepCapEntry> RepCapTable() const override;

 private:
  void InitializeDriverData();
  // A new reference to one of this object's own interfaces.
  template <class Interface>
  HRESULT QueryFace(Interface** out) {
    return static_cast<IKorvane*>(this)->QueryInterface(IidOf<Interface>(),
                                                        reinterpret_cast<void**>(out));
  }

  std::unique_ptr<Korvane_Fundamental_Api> chassis_;
  SimulatedChassisSettings simulated_;
  SelfTestRecord selfTest_;
  bool simulateAtInitialize_ = false;
  bool traceAtInitialize_ = false;
};

#undef KORVANE_DECLARE_IMPLEMENTATION

}  // namespace korvane

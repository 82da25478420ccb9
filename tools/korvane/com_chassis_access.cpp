// The chassis session through the driver's COM face: the class Korvane, linked
// into the program and made creatable in this process.
#include "com/identifiers.h"
#include "com/interfaces.h"
#include "com/module.h"
#include "platform/com_ptr.h"
#include "platform/ole_string.h"
#include "platform/scoped_bstr.h"
#include "platform/win32.h"
#include "tools/korvane/chassis_access.h"

namespace korvane::cli {
namespace {

std::string Ansi(BSTR text) {
  return OleToAnsi(BstrView(text));
}

std::string ThreadErrorDescription() {
  ComPtr<IErrorInfo> info;
  ScopedBstr text;
  if (GetErrorInfo(0, info.GetAddressOf()) == S_OK && info) info->GetDescription(text.Receive());
  return Ansi(text.Get());
}

void Check(HRESULT status, const char* call) {
  if (FAILED(status)) throw DriverError(status, call, ThreadErrorDescription());
}

// COM entered for the thread and the driver class registered for this process,
// for as long as the session lives.
class ComScope {
 public:
  ComScope() {
    Check(CoInitializeEx(nullptr, COINIT_MULTITHREADED), "CoInitializeEx");
    const HRESULT registered = RegisterClassObjectsInProcess(&cookie_);
    if (FAILED(registered)) {
      CoUninitialize();
      Check(registered, "Registering the driver class");
    }
  }
  ~ComScope() {
    CoRevokeClassObject(cookie_);
    CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  DWORD cookie_ = 0;
};

template <typename T, typename Getter>
ComPtr<T> Get(Getter&& getter, const char* call) {
  ComPtr<T> result;
  Check(getter(result.GetAddressOf()), call);
  return result;
}

class ComChassisAccess final : public ChassisAccess {
 public:
  explicit ComChassisAccess(const SessionRequest& request) {
    Check(CoCreateInstance(kClsidKorvane, nullptr, CLSCTX_INPROC_SERVER, IID_IKorvane,
                           driver_.GetVoidAddressOf()),
          "Creating the driver");
    ScopedBstr resource(AnsiToOle(request.resource).c_str());
    ScopedBstr options(AnsiToOle(request.options).c_str());
    Check(driver_->Initialize(resource.Get(), VARIANT_TRUE, VARIANT_FALSE, options.Get()),
          "Initialize");
    open_ = true;
  }
  ~ComChassisAccess() override {
    if (open_) driver_->Close();
  }

  std::string Text(IdentityText which) override {
    ScopedBstr text;
    switch (which) {
      case IdentityText::kManufacturer:
        Check(Identity()->get_InstrumentManufacturer(text.Receive()), "InstrumentManufacturer");
        break;
      case IdentityText::kModel:
        Check(Identity()->get_InstrumentModel(text.Receive()), "InstrumentModel");
        break;
      case IdentityText::kFirmwareRevision:
        Check(Identity()->get_InstrumentFirmwareRevision(text.Receive()),
              "InstrumentFirmwareRevision");
        break;
      case IdentityText::kSerialNumber:
        Check(System()->get_SerialNumber(text.Receive()), "System.SerialNumber");
        break;
      case IdentityText::kPcieLink:
        Check(driver_->get_PCIeLink(text.Receive()), "PCIeLink");
        break;
    }
    return Ansi(text.Get());
  }

  double UptimeSeconds() override {
    double seconds = 0;
    Check(System()->get_Uptime(&seconds), "System.Uptime");
    return seconds;
  }

  ClockSource ReferenceClock() override {
    KorvaneRefClockSourceEnum source = KorvaneRefClockSourceInternal;
    Check(Clock()->get_Source(&source), "ReferenceClock.Source");
    return static_cast<ClockSource>(source);
  }

  std::vector<std::string> Names(Collection which) override {
    switch (which) {
      case Collection::kTemperatureSensors:
        return NamesOf(*Sensors().Get(), "TemperatureSensors");
      case Collection::kFans:
        return NamesOf(*Fans().Get(), "Fans");
      case Collection::kVoltageRails:
        return NamesOf(*Rails().Get(), "VoltageRails");
    }
    return {};
  }

  double Temperature(const std::string& sensor) override {
    ComPtr<IKorvaneTemperatureSensor> item;
    Check(Sensors()->get_Item(ScopedBstr(AnsiToOle(sensor).c_str()).Get(), item.GetAddressOf()),
          "TemperatureSensors.Item");
    double degrees = 0;
    Check(item->get_Temperature(&degrees), "TemperatureSensor.Temperature");
    return degrees;
  }

  int32_t FanSpeed(const std::string& fan) override {
    ComPtr<IKorvaneFan> item;
    Check(Fans()->get_Item(ScopedBstr(AnsiToOle(fan).c_str()).Get(), item.GetAddressOf()),
          "Fans.Item");
    LONG rpm = 0;
    Check(item->get_RPM(&rpm), "Fan.RPM");
    return rpm;
  }

  double Rail(const std::string& rail, RailValue which) override {
    double volts = 0;
    switch (which) {
      case RailValue::kMeasured:
        Check(RailItem(rail)->get_Voltage(&volts), "VoltageRail.Voltage");
        break;
      case RailValue::kNominal:
        Check(RailItem(rail)->get_ExpectedVoltage(&volts), "VoltageRail.ExpectedVoltage");
        break;
      case RailValue::kLowThreshold:
        Check(RailAlarm(rail)->get_MinVoltage(&volts), "VoltageRail.Alarm.MinVoltage");
        break;
      case RailValue::kHighThreshold:
        Check(RailAlarm(rail)->get_MaxVoltage(&volts), "VoltageRail.Alarm.MaxVoltage");
        break;
    }
    return volts;
  }

  int32_t LimitValue(Limit which) override {
    LONG value = 0;
    switch (which) {
      case Limit::kMaxTemperature:
        Check(SensorsAlarm()->get_MaxTemp(&value), "TemperatureSensors.Alarm.MaxTemp");
        break;
      case Limit::kMinFanSpeed:
        Check(FansAlarm()->get_MinRPM(&value), "Fans.Alarm.MinRPM");
        break;
      case Limit::kFullFanSpeedTemperature:
        Check(FansControl()->get_MaxRPMTemp(&value), "Fans.Control.MaxRPMTemp");
        break;
    }
    return value;
  }

  bool FanAutoControl() override {
    VARIANT_BOOL automatic = VARIANT_FALSE;
    Check(FansControl()->get_Auto(&automatic), "Fans.Control.Auto");
    return automatic != VARIANT_FALSE;
  }

  bool AlarmOccurred(Alarm which, const std::string& rail) override {
    VARIANT_BOOL occurred = VARIANT_FALSE;
    switch (which) {
      case Alarm::kOverTemperature:
        Check(SensorsAlarm()->get_Occurred(&occurred), "TemperatureSensors.Alarm.Occurred");
        break;
      case Alarm::kFanUnderspeed:
        Check(FansAlarm()->get_Occurred(&occurred), "Fans.Alarm.Occurred");
        break;
      case Alarm::kReferenceClock:
        Check(ClockAlarm()->get_Occurred(&occurred), "ReferenceClock.Alarm.Occurred");
        break;
      case Alarm::kRail:
        Check(RailAlarm(rail)->get_Occurred(&occurred), "VoltageRail.Alarm.Occurred");
        break;
    }
    return occurred != VARIANT_FALSE;
  }

  void ClearAlarm(Alarm which, const std::string& rail) override {
    switch (which) {
      case Alarm::kOverTemperature:
        Check(SensorsAlarm()->Clear(), "TemperatureSensors.Alarm.Clear");
        break;
      case Alarm::kFanUnderspeed:
        Check(FansAlarm()->Clear(), "Fans.Alarm.Clear");
        break;
      case Alarm::kReferenceClock:
        Check(ClockAlarm()->Clear(), "ReferenceClock.Alarm.Clear");
        break;
      case Alarm::kRail:
        Check(RailAlarm(rail)->Clear(), "VoltageRail.Alarm.Clear");
        break;
    }
  }

  int32_t TriggerRouting(int32_t line) override {
    KorvaneTrigBusEnum routing = KorvaneTrigBusIsolateAll;
    Check(TriggerBus()->Connection(line, &routing), "TriggerBus.Connection");
    return routing;
  }

  void ConnectTrigger(int32_t line, int32_t routing) override {
    Check(TriggerBus()->Connect(line, static_cast<KorvaneTrigBusEnum>(routing)),
          "TriggerBus.Connect");
  }

  void DisconnectAllTriggers() override {
    Check(TriggerBus()->DisconnectAll(), "TriggerBus.DisconnectAll");
  }

  void RestoreDefaultTriggers() override {
    Check(TriggerBus()->ConnectDefault(), "TriggerBus.ConnectDefault");
  }

  SelfTestOutcome SelfTest() override {
    auto utility = Get<IIviDriverUtility>(
        [&](IIviDriverUtility** out) { return driver_->get_Utility(out); }, "Utility");
    LONG result = 0;
    ScopedBstr message;
    Check(utility->SelfTest(&result, message.Receive()), "Utility.SelfTest");
    SelfTestOutcome outcome{result, Ansi(message.Get()), {}};
    for (;;) {
      LONG code = 0;
      ScopedBstr text;
      Check(System()->SelfTestErrorQuery(&code, text.Receive()), "System.SelfTestErrorQuery");
      if (code == 0) break;
      outcome.errors.push_back({code, Ansi(text.Get())});
    }
    return outcome;
  }

  void Close() override {
    if (!open_) return;
    open_ = false;
    Check(driver_->Close(), "Close");
  }

 private:
  template <typename Collection>
  static std::vector<std::string> NamesOf(Collection& collection, const std::string& what) {
    LONG count = 0;
    Check(collection.get_Count(&count), (what + ".Count").c_str());
    std::vector<std::string> names;
    for (LONG i = 1; i <= count; ++i) {
      ScopedBstr name;
      Check(collection.get_Name(i, name.Receive()), (what + ".Name").c_str());
      names.push_back(Ansi(name.Get()));
    }
    return names;
  }

  ComPtr<IIviDriverIdentity> Identity() {
    return Get<IIviDriverIdentity>([&](auto** out) { return driver_->get_Identity(out); },
                                   "Identity");
  }
  ComPtr<IKorvaneSystem> System() {
    return Get<IKorvaneSystem>([&](auto** out) { return driver_->get_System(out); }, "System");
  }
  ComPtr<IKorvaneReferenceClock> Clock() {
    return Get<IKorvaneReferenceClock>([&](auto** out) { return driver_->get_ReferenceClock(out); },
                                       "ReferenceClock");
  }
  ComPtr<IKorvaneReferenceClockAlarm> ClockAlarm() {
    auto clock = Clock();
    return Get<IKorvaneReferenceClockAlarm>([&](auto** out) { return clock->get_Alarm(out); },
                                            "ReferenceClock.Alarm");
  }
  ComPtr<IKorvaneTemperatureSensors> Sensors() {
    return Get<IKorvaneTemperatureSensors>(
        [&](auto** out) { return driver_->get_TemperatureSensors(out); }, "TemperatureSensors");
  }
  ComPtr<IKorvaneTemperatureSensorsAlarm> SensorsAlarm() {
    auto sensors = Sensors();
    return Get<IKorvaneTemperatureSensorsAlarm>([&](auto** out) { return sensors->get_Alarm(out); },
                                                "TemperatureSensors.Alarm");
  }
  ComPtr<IKorvaneFans> Fans() {
    return Get<IKorvaneFans>([&](auto** out) { return driver_->get_Fans(out); }, "Fans");
  }
  ComPtr<IKorvaneFansAlarm> FansAlarm() {
    auto fans = Fans();
    return Get<IKorvaneFansAlarm>([&](auto** out) { return fans->get_Alarm(out); }, "Fans.Alarm");
  }
  ComPtr<IKorvaneFansControl> FansControl() {
    auto fans = Fans();
    return Get<IKorvaneFansControl>([&](auto** out) { return fans->get_Control(out); },
                                    "Fans.Control");
  }
  ComPtr<IKorvaneVoltageRails> Rails() {
    return Get<IKorvaneVoltageRails>([&](auto** out) { return driver_->get_VoltageRails(out); },
                                     "VoltageRails");
  }
  ComPtr<IKorvaneVoltageRail> RailItem(const std::string& rail) {
    auto rails = Rails();
    ScopedBstr name(AnsiToOle(rail).c_str());
    return Get<IKorvaneVoltageRail>([&](auto** out) { return rails->get_Item(name.Get(), out); },
                                    "VoltageRails.Item");
  }
  ComPtr<IKorvaneVoltageRailAlarm> RailAlarm(const std::string& rail) {
    auto item = RailItem(rail);
    return Get<IKorvaneVoltageRailAlarm>([&](auto** out) { return item->get_Alarm(out); },
                                         "VoltageRail.Alarm");
  }
  ComPtr<IKorvaneTriggerBus> TriggerBus() {
    return Get<IKorvaneTriggerBus>([&](auto** out) { return driver_->get_TriggerBus(out); },
                                   "TriggerBus");
  }

  ComScope com_;
  ComPtr<IKorvane> driver_;
  bool open_ = false;
};

}  // namespace

std::unique_ptr<ChassisAccess> OpenChassis(const SessionRequest& request) {
  return std::make_unique<ComChassisAccess>(request);
}

}  // namespace korvane::cli

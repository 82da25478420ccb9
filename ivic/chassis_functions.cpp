// The exported chassis functions: alarm clears, item names by index, the self-test error query
// and the trigger-bus routing, each a forwarder to one member of the chassis faces.
#include "ivic/Korvane.h"
#include "ivic/selector_resolution.h"
#include "ivic/session_bridge.h"

using korvane::ScopedBstr;
using namespace korvane::ivic;

namespace {

// The name of item Index of a collection, under the string return rule.
template <class Collection>
ViStatus ItemName(ViSession vi, ViInt32 index, ViInt32 bufferSize, ViChar* name) {
  return Guarded([&] {
    return CallDriverForString<Collection>(vi, bufferSize, name, [&](Collection* c, BSTR* text) {
      return c->get_Name(static_cast<LONG>(index), text);
    });
  });
}

// One member without results on one chassis face.
template <class Face, class Member>
ViStatus Forward(ViSession vi, Member member) {
  return Guarded(
      [&] { return CallDriver<Face>(vi, [&](Face* face) { return (face->*member)(); }); });
}

}  // namespace

extern "C" {

ViStatus Korvane_SelfTestErrorQuery(ViSession Vi, ViInt32* ErrorCode, ViInt32 BufferSize,
                                    ViChar ErrorMessage[]) {
  if (ErrorCode == nullptr) {
    return StoreMessage(Vi, IVI_ERROR_NULL_POINTER, "Parameter ErrorCode is VI_NULL.");
  }
  return Guarded([&] {
    LONG code = *ErrorCode;
    ScopedBstr message;
    const ViStatus status = CallDriver<IKorvaneSystem>(Vi, [&](IKorvaneSystem* system) {
      return system->SelfTestErrorQuery(&code, message.Receive());
    });
    if (status >= 0) *ErrorCode = code;
    return StringResult(status, message.Get(), BufferSize, ErrorMessage);
  });
}

ViStatus Korvane_GetTemperatureSensorName(ViSession Vi, ViInt32 Index, ViInt32 BufferSize,
                                          ViChar Name[]) {
  return ItemName<IKorvaneTemperatureSensors>(Vi, Index, BufferSize, Name);
}

ViStatus Korvane_GetFanName(ViSession Vi, ViInt32 Index, ViInt32 BufferSize, ViChar Name[]) {
  return ItemName<IKorvaneFans>(Vi, Index, BufferSize, Name);
}

ViStatus Korvane_GetVoltageRailName(ViSession Vi, ViInt32 Index, ViInt32 BufferSize,
                                    ViChar Name[]) {
  return ItemName<IKorvaneVoltageRails>(Vi, Index, BufferSize, Name);
}

ViStatus Korvane_TemperatureAlarmClear(ViSession Vi) {
  return Forward<IKorvaneTemperatureSensorsAlarm>(Vi, &IKorvaneTemperatureSensorsAlarm::Clear);
}

ViStatus Korvane_FanAlarmClear(ViSession Vi) {
  return Forward<IKorvaneFansAlarm>(Vi, &IKorvaneFansAlarm::Clear);
}

ViStatus Korvane_RefClkAlarmClear(ViSession Vi) {
  return Forward<IKorvaneReferenceClockAlarm>(Vi, &IKorvaneReferenceClockAlarm::Clear);
}

ViStatus Korvane_VoltageAlarmClear(ViSession Vi, ViConstString RepCapIdentifier) {
  return Guarded([&] {
    ItemList<IKorvaneVoltageRailAlarm> rails;
    if (const ViStatus status = ResolveSelector(Vi, RepCapIdentifier, true, rails)) return status;
    for (const auto& rail : rails) {
      if (const ViStatus status = TranslateResult(Vi, rail->Clear())) return status;
    }
    return static_cast<ViStatus>(VI_SUCCESS);
  });
}

ViStatus Korvane_TriggerBusConnect(ViSession Vi, ViInt32 Trig, ViInt32 BusConfiguration) {
  return Guarded([&] {
    return CallDriver<IKorvaneTriggerBus>(Vi, [&](IKorvaneTriggerBus* bus) {
      return bus->Connect(static_cast<LONG>(Trig),
                          static_cast<KorvaneTrigBusEnum>(BusConfiguration));
    });
  });
}

ViStatus Korvane_TriggerBusDisconnect(ViSession Vi) {
  return Forward<IKorvaneTriggerBus>(Vi, &IKorvaneTriggerBus::DisconnectAll);
}

ViStatus Korvane_TriggerBusConnectDefault(ViSession Vi) {
  return Forward<IKorvaneTriggerBus>(Vi, &IKorvaneTriggerBus::ConnectDefault);
}

ViStatus Korvane_TriggerBusConnection(ViSession Vi, ViInt32 Trig, ViInt32* Val) {
  if (Val == nullptr) return StoreMessage(Vi, IVI_ERROR_NULL_POINTER, "Parameter Val is VI_NULL.");
  return Guarded([&] {
    KorvaneTrigBusEnum configuration{};
    const ViStatus status = CallDriver<IKorvaneTriggerBus>(Vi, [&](IKorvaneTriggerBus* bus) {
      return bus->Connection(static_cast<LONG>(Trig), &configuration);
    });
    if (status >= 0) *Val = static_cast<ViInt32>(configuration);
    return status;
  });
}

}  // extern "C"

// The driver's collection faces: IKorvaneTemperatureSensors, IKorvaneFans
// and IKorvaneVoltageRails (Count, Name, Item), and the alarm and control
// faces they lead to, which are faces of the driver object itself.

#include "driver/korvane.h"
#include "repcap/korvane_rep_caps.h"

namespace korvane {
namespace {

const RepCapEntry& Kind(std::size_t position) {
  return KorvaneRepCapTable()[position];
}

}  // namespace

// --- IKorvaneTemperatureSensors ----------------------------------------------

HRESULT Korvane::IKorvaneTemperatureSensors_get_Count(LONG* val) {
  return RepCaps().Count(Kind(kTemperatureSensorKind), val);
}

HRESULT Korvane::IKorvaneTemperatureSensors_get_Name(LONG Index, BSTR* val) {
  return RepCaps().Name(Kind(kTemperatureSensorKind), Index, ModuleNames(), Reporter(), val);
}

HRESULT Korvane::IKorvaneTemperatureSensors_get_Item(BSTR Name, IKorvaneTemperatureSensor** val) {
  return RepCaps().Item(Kind(kTemperatureSensorKind), Name, ForwardVirtualNames(), Reporter(),
                        IID_IKorvaneTemperatureSensor, reinterpret_cast<void**>(val));
}

HRESULT Korvane::IKorvaneTemperatureSensors_get_Alarm(IKorvaneTemperatureSensorsAlarm** val) {
  return QueryFace(val);
}

// --- IKorvaneFans ------------------------------------------------------------

HRESULT Korvane::IKorvaneFans_get_Count(LONG* val) {
  return RepCaps().Count(Kind(kFanKind), val);
}

HRESULT Korvane::IKorvaneFans_get_Name(LONG Index, BSTR* val) {
  return RepCaps().Name(Kind(kFanKind), Index, ModuleNames(), Reporter(), val);
}

HRESULT Korvane::IKorvaneFans_get_Item(BSTR Name, IKorvaneFan** val) {
  return RepCaps().Item(Kind(kFanKind), Name, ForwardVirtualNames(), Reporter(), IID_IKorvaneFan,
                        reinterpret_cast<void**>(val));
}

HRESULT Korvane::IKorvaneFans_get_Alarm(IKorvaneFansAlarm** val) {
  return QueryFace(val);
}

HRESULT Korvane::IKorvaneFans_get_Control(IKorvaneFansControl** val) {
  return QueryFace(val);
}

// --- IKorvaneVoltageRails ----------------------------------------------------

HRESULT Korvane::IKorvaneVoltageRails_get_Count(LONG* val) {
  return RepCaps().Count(Kind(kVoltageRailKind), val);
}

HRESULT Korvane::IKorvaneVoltageRails_get_Name(LONG Index, BSTR* val) {
  return RepCaps().Name(Kind(kVoltageRailKind), Index, ModuleNames(), Reporter(), val);
}

HRESULT Korvane::IKorvaneVoltageRails_get_Item(BSTR Name, IKorvaneVoltageRail** val) {
  return RepCaps().Item(Kind(kVoltageRailKind), Name, ForwardVirtualNames(), Reporter(),
                        IID_IKorvaneVoltageRail, reinterpret_cast<void**>(val));
}

}  // namespace korvane

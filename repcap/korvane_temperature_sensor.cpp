#include "repcap/korvane_temperature_sensor.h"

#include "repcap/item_member.h"

namespace korvane {
namespace {
constexpr double kSimulatedTemperature = 25.0;
}  // namespace

HRESULT KorvaneTemperatureSensor::IKorvaneTemperatureSensor_get_Temperature(double* val) {
  const ItemMember member(CallDriver(), OLESTR("TemperatureSensor.Temperature"),
                          OLESTR("Temperature"));
  if (const HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  if (member.Simulating()) {
    *val = kSimulatedTemperature;
    return S_OK;
  }
  double degrees = 0;
  const HRESULT status = member.Run(
      [&](Korvane_Fundamental_Api& chassis) {
        const uint32_t index = chassis.getTemperatureSensorMinIndex() + GetIndex();
        return chassis.getTemperatureSensorValue(index, &degrees);
      },
      Korvane_Fundamental_StatusInvalidValue,
      [&] { return member.ReportUnknownPhysicalIdentifier(); });
  if (status == S_OK) *val = degrees;
  return status;
}

}  // namespace korvane

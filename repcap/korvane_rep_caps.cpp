#include "repcap/korvane_rep_caps.h"

#include "driver/korvane.h"
#include "repcap/korvane_fan.h"
#include "repcap/korvane_temperature_sensor.h"
#include "repcap/korvane_voltage_rail.h"

namespace korvane {
namespace {

constexpr const OLECHAR* kTemperatureSensorNames[] = {OLESTR("TS1"), OLESTR("TS2"), OLESTR("TS3"),
                                                      OLESTR("TS4"), OLESTR("TS5"), OLESTR("TS6"),
                                                      OLESTR("TS7"), OLESTR("TS8")};
constexpr const OLECHAR* kFanNames[] = {OLESTR("FAN1"), OLESTR("FAN2"), OLESTR("FAN3")};
constexpr const OLECHAR* kVoltageRailNames[] = {OLESTR("VPLUS_3_3"), OLESTR("VPLUS_5_0"),
                                                OLESTR("VPLUS_12_0"), OLESTR("VMINUS_12_0")};

constexpr RepCapEntry kTable[] = {
    {OLESTR("TemperatureSensor"), OLESTR("KorvaneTemperatureSensor"),
     &KorvaneTemperatureSensor::Create, kTemperatureSensorNames},
    {OLESTR("Fan"), OLESTR("KorvaneFan"), &KorvaneFan::Create, kFanNames},
    {OLESTR("VoltageRail"), OLESTR("KorvaneVoltageRail"), &KorvaneVoltageRail::Create,
     kVoltageRailNames},
};

}  // namespace

std::span<const RepCapEntry> KorvaneRepCapTable() {
  return kTable;
}

std::span<const RepCapEntry> Korvane::RepCapTable() const {
  return KorvaneRepCapTable();
}

}  // namespace korvane

// Names of the access library's operations as the call record writes them.
#include <array>
#include <cstring>

#include "standins/chassis/virtual_chassis.h"

namespace korvane::virtual_chassis {
namespace {

constexpr std::array<const char*, static_cast<size_t>(Operation::kCount)> kNames{
    "Korvane_Fundamental_Api",
    "~Korvane_Fundamental_Api",
    "getCtorFailed",
    "ioOpen",
    "isInitialized",
    "ioClose",
    "getModelNumber",
    "getRevisionNumber",
    "getSerialNumber",
    "reset",
    "selfTest",
    "mapSelfTestCodeToString",
    "getStatusDesc",
    "getPCIeLinkTopology",
    "getTimeSinceBoot",
    "getChassisThermostatSetpoint",
    "setChassisThermostatSetpoint",
    "getFanAutoControlEnabled",
    "getOverTempAlarmThreshold",
    "setOverTempAlarmThreshold",
    "getFanUnderspeedAlarmThreshold",
    "setFanUnderspeedAlarmThreshold",
    "getChassisReferenceClockSource",
    "getTriggerRouting",
    "setTriggerRouting",
    "setTriggerRoutingAllDisconnected",
    "setTriggerRoutingToStaticDefaults",
    "clearAlarmCondition",
    "getAlarmCondition",
    "getAlarmEnable",
    "setAlarmEnable",
    "getFanMinIndex",
    "getTemperatureSensorMinIndex",
    "getFanSpeed",
    "getTemperatureSensorValue",
    "getSupplyRailVoltage",
    "getVoltageHiLowAlarmThreshold",
    "setVoltageHiLowAlarmThreshold",
};

}  // namespace

const char* OperationName(Operation op) {
  const auto index = static_cast<size_t>(op);
  return index < kNames.size() ? kNames[index] : "";
}

bool FindOperation(const char* name, Operation* op) {
  if (name == nullptr || op == nullptr) return false;
  for (size_t index = 0; index < kNames.size(); ++index) {
    if (std::strcmp(kNames[index], name) == 0) {
      *op = static_cast<Operation>(index);
      return true;
    }
  }
  return false;
}

}  // namespace korvane::virtual_chassis

// Korvane_Fundamental_Api: the chassis access library (KorvaneAFundamental_64).
//
// Every hardware operation of the Q7730A chassis goes through this class. The
// library is a module of its own with its own C++ runtime, so nothing but
// plain data crosses its boundary: integers, doubles, enumerations, pointers
// and NUL-terminated 8-bit texts in buffers that the caller owns and sizes.
//
// Conventions of every operation below, unless its comment says otherwise:
// - the result is a signed 32-bit chassis status, 0 for success; on failure
//   the out values are left as they were;
// - booleans are unsigned 16-bit 0 or 1; degrees C and rpm unsigned 32-bit;
//   volts double;
// - a text is written into (buffer, size), truncated to size - 1 bytes and
//   always NUL-terminated; a null buffer or a size of 0 is refused with
//   Korvane_Fundamental_StatusInvalidValue;
// - hardware operations need an open session (ioOpen); on a session that is
//   not open they answer Korvane_Fundamental_StatusSessionNotOpen.
#pragma once

#include <cstdint>

#include "chassis/korvane_fundamental_export.h"

// Alarm sources of the alarm operations.
enum Korvane_Fundamental_AlarmSource : int32_t {
  Korvane_Fundamental_AlarmOverTemperature = 1,
  Korvane_Fundamental_AlarmFanUnderspeed = 2,
  Korvane_Fundamental_AlarmRailPlus5V = 3,
  Korvane_Fundamental_AlarmRailPlus3V3 = 4,
  Korvane_Fundamental_AlarmRailMinus12V = 5,
  Korvane_Fundamental_AlarmRailPlus12V = 6,
  Korvane_Fundamental_AlarmRefClockChange = 8,
};

// Power-supply rails.
enum Korvane_Fundamental_VoltageRail : int32_t {
  Korvane_Fundamental_RailPlus5V = 0,
  Korvane_Fundamental_RailPlus3V3 = 1,
  Korvane_Fundamental_RailMinus12V = 2,
  Korvane_Fundamental_RailPlus12V = 3,
};

// Source of the 10 MHz reference clock.
enum Korvane_Fundamental_RefClockSource : int32_t {
  Korvane_Fundamental_RefClockInternal = 1,
  Korvane_Fundamental_RefClockExternal = 2,
  Korvane_Fundamental_RefClockTimingModule = 3,
};

// Routing of one PXI trigger line between the bus segments 1 (slots 1-6),
// 2 (slots 7-12) and 3 (slots 13-18).
enum Korvane_Fundamental_ValidTriggerRoutings : int32_t {
  Korvane_Fundamental_TrigIsolated = 0,
  Korvane_Fundamental_TrigBus1To2 = 1,
  Korvane_Fundamental_TrigBus2To1 = 2,
  Korvane_Fundamental_TrigBus2To3 = 3,
  Korvane_Fundamental_TrigBus3To2 = 4,
  Korvane_Fundamental_TrigBus1To2To3 = 5,
  Korvane_Fundamental_TrigBus3To2To1 = 6,
  Korvane_Fundamental_TrigBus2To1And3 = 7,
};

// Selectors of getRevisionNumber.
enum Korvane_Fundamental_RevisionNumbers : int32_t {
  Korvane_Fundamental_RevisionFirmware = 9,
};

// Class of a chassis status, as getStatusDesc answers it.
enum Korvane_Fundamental_StatusCodeType : int32_t {
  Korvane_Fundamental_StatusTypeChassis = 0,     // the chassis's own error
  Korvane_Fundamental_StatusTypeVisa = 1,        // an error of the I/O layer below
  Korvane_Fundamental_StatusTypeUnknown = 2,     // a status the library does not know
  Korvane_Fundamental_StatusTypeUnexpected = 3,  // a status that should not occur
};

// The side argument of the rail threshold operations.
enum Korvane_Fundamental_ThresholdSide : int32_t {
  Korvane_Fundamental_ThresholdHigh = 0,
  Korvane_Fundamental_ThresholdLow = 1,
};

// The setting argument of the threshold getters: the value in force (what the
// driver always asks for) or the chassis's power-on value.
enum Korvane_Fundamental_SettingKind : int32_t {
  Korvane_Fundamental_SettingCurrent = 0,
  Korvane_Fundamental_SettingPowerOn = 1,
};

// Chassis statuses that callers test for by value.
enum Korvane_Fundamental_Status : int32_t {
  Korvane_Fundamental_StatusSuccess = 0,
  // A refused value, or no fan or sensor at that index.
  Korvane_Fundamental_StatusInvalidValue = static_cast<int32_t>(0xBFFA0001u),
  // The chassis did not answer in time.
  Korvane_Fundamental_StatusNoResponse = static_cast<int32_t>(0xBFFA0002u),
  // A rail alarm threshold outside the rail's window.
  Korvane_Fundamental_StatusThresholdRefused = static_cast<int32_t>(0xBFFA0003u),
  // The chassis management controller reported an internal fault.
  Korvane_Fundamental_StatusControllerFault = static_cast<int32_t>(0xBFFA000Au),
  // I/O layer: the session is not open.
  Korvane_Fundamental_StatusSessionNotOpen = static_cast<int32_t>(0xBFFF000Eu),
  // I/O layer: the resource named in ioOpen does not exist.
  Korvane_Fundamental_StatusResourceNotFound = static_cast<int32_t>(0xBFFF0011u),
};

// selfTest reports at most this many codes.
inline constexpr int32_t Korvane_Fundamental_MaxSelfTestCodes = 20;

// Thrown by the constructor when the library cannot set up an instance.
struct Korvane_Fundamental_ConstructionError {
  int32_t status;
};

class KORVANE_FUNDAMENTAL_EXPORT Korvane_Fundamental_Api {
 public:
  // Creates an instance with no open session; throws
  // Korvane_Fundamental_ConstructionError when the library cannot start.
  Korvane_Fundamental_Api();
  // Closes the session if it is still open.
  ~Korvane_Fundamental_Api();

  // An instance owns its session: copying it would share one session between
  // two owners, so it is not copyable.
  Korvane_Fundamental_Api(const Korvane_Fundamental_Api&) = delete;
  Korvane_Fundamental_Api& operator=(const Korvane_Fundamental_Api&) = delete;

  // Non-zero when construction completed only partly and the instance is unusable. No status.
  int32_t getCtorFailed();
  // Opens a session to the chassis named by resource; sessionOut (may be null) receives its id.
  int32_t ioOpen(const char* resource, uint32_t* sessionOut);
  // 1 while a session is open, 0 otherwise. No status.
  uint16_t isInitialized();
  // Closes the session.
  int32_t ioClose();

  // Model number text, for example "Q7730A".
  int32_t getModelNumber(char* text, uint32_t size);
  // Revision text selected by which (Korvane_Fundamental_RevisionFirmware).
  int32_t getRevisionNumber(Korvane_Fundamental_RevisionNumbers which, char* text, uint32_t size);
  // Serial number text.
  int32_t getSerialNumber(char* text, uint32_t size);
  // Resets the chassis: mode 1 restores the power-on settings and clears every alarm
  // condition, mode 0 only clears the alarm conditions; other modes are refused.
  int32_t reset(int32_t mode);

  // Runs the self test: *count receives the number of failure codes (0 = passed) and
  // codes[0 .. *count - 1] the codes; codes must hold Korvane_Fundamental_MaxSelfTestCodes.
  int32_t selfTest(int32_t* count, int32_t* codes);
  // Text of a self-test failure code. Works without an open session.
  int32_t mapSelfTestCodeToString(int32_t code, char* text, uint32_t size);
  // Class of a status, and its description into (text, size) when text is not null.
  // Returns the class, not a status. Works without an open session.
  Korvane_Fundamental_StatusCodeType getStatusDesc(int32_t status, char* text, uint32_t size);

  // PCIe link topology of the chassis's host link, for example "1x8".
  int32_t getPCIeLinkTopology(char* text, uint32_t size);
  // Whole seconds since the chassis was powered on.
  int32_t getTimeSinceBoot(uint32_t* seconds);

  // Temperature at which the fans reach full speed (setting: Korvane_Fundamental_SettingKind).
  int32_t getChassisThermostatSetpoint(uint32_t* degrees, int32_t setting);
  // Sets the full-fan-speed temperature; refused with StatusInvalidValue outside 25..70.
  int32_t setChassisThermostatSetpoint(uint32_t degrees);
  // 1 while the chassis controls the fan speed itself.
  int32_t getFanAutoControlEnabled(uint16_t* enabled);

  // Over-temperature alarm threshold (setting: Korvane_Fundamental_SettingKind).
  int32_t getOverTempAlarmThreshold(uint32_t* degrees, int32_t setting);
  // Sets the over-temperature threshold; refused with StatusInvalidValue outside 0..110.
  int32_t setOverTempAlarmThreshold(uint32_t degrees);
  // Fan underspeed alarm threshold (setting: Korvane_Fundamental_SettingKind).
  int32_t getFanUnderspeedAlarmThreshold(uint32_t* rpm, int32_t setting);
  // Sets the fan underspeed threshold; refused with StatusInvalidValue outside 0..10000.
  int32_t setFanUnderspeedAlarmThreshold(uint32_t rpm);

  // Source of the 10 MHz reference clock.
  int32_t getChassisReferenceClockSource(Korvane_Fundamental_RefClockSource* source);

  // Routing of trigger line 0..7; another line is refused with StatusInvalidValue.
  int32_t getTriggerRouting(uint32_t line, Korvane_Fundamental_ValidTriggerRoutings* routing);
  // Routes trigger line 0..7; a line or routing outside the table is refused.
  int32_t setTriggerRouting(uint32_t line, Korvane_Fundamental_ValidTriggerRoutings routing);
  // Isolates the three segments of every trigger line.
  int32_t setTriggerRoutingAllDisconnected();
  // Restores the chassis's own default routing of every trigger line.
  int32_t setTriggerRoutingToStaticDefaults();

  // Clears the latched condition of an alarm.
  int32_t clearAlarmCondition(Korvane_Fundamental_AlarmSource alarm);
  // 1 when the alarm condition has latched since it was last cleared.
  int32_t getAlarmCondition(Korvane_Fundamental_AlarmSource alarm, uint16_t* occurred);
  // 1 when the alarm is enabled.
  int32_t getAlarmEnable(Korvane_Fundamental_AlarmSource alarm, uint16_t* enabled);
  // Enables (1) or disables (0) an alarm; other values are refused.
  int32_t setAlarmEnable(Korvane_Fundamental_AlarmSource alarm, uint16_t enable);

  // Chassis index of the first fan. No status.
  uint32_t getFanMinIndex();
  // Chassis index of the first temperature sensor. No status.
  uint32_t getTemperatureSensorMinIndex();
  // Speed of the fan at a chassis index; no fan there gives StatusInvalidValue.
  int32_t getFanSpeed(uint32_t index, uint32_t* rpm);
  // Temperature of the sensor at a chassis index; no sensor there gives StatusInvalidValue.
  int32_t getTemperatureSensorValue(uint32_t index, double* degrees);

  // Measured voltage of a rail.
  int32_t getSupplyRailVoltage(Korvane_Fundamental_VoltageRail rail, double* volts);
  // Alarm threshold of a rail (side: Korvane_Fundamental_ThresholdSide; setting:
  // Korvane_Fundamental_SettingKind).
  int32_t getVoltageHiLowAlarmThreshold(Korvane_Fundamental_VoltageRail rail, int32_t side,
                                        double* volts, int32_t setting);
  // Sets a rail alarm threshold; a value outside the rail's window for that side is
  // refused with StatusThresholdRefused.
  int32_t setVoltageHiLowAlarmThreshold(Korvane_Fundamental_VoltageRail rail, int32_t side,
                                        double volts);

 private:
  uint32_t session_;   // id of the open session, 0 while none is open
  uint32_t instance_;  // number of this instance within the process, from 1
};

/* A C client of the driver, written against Korvane.h alone: sessions simulated and on the
 * virtual chassis, attributes at their range edges per instance and through selectors, the
 * chassis and inherent functions, the error functions and the string rule. Exits non-zero and
 * names every failed check. */
#include <stdio.h>
#include <string.h>

#include "Korvane.h"

static int failures = 0;

static void Check(int ok, const char* what, int line) {
  if (!ok) {
    ++failures;
    fprintf(stderr, "c_client.c:%d: check failed: %s\n", line, what);
  }
}
#define CHECK(condition) Check((condition) != 0, #condition, __LINE__)
#define CHECK_STATUS(expected, call) Check((call) == (expected), #call " == " #expected, __LINE__)

/* The last error of a session: its code, and its description in `text`. */
static ViStatus LastError(ViSession vi, char* text, ViInt32 size) {
  ViStatus code = 0;
  CHECK_STATUS(VI_SUCCESS, Korvane_GetError(vi, &code, size, text));
  return code;
}

static void ErrorFunctions(void) {
  ViChar text[256];
  ViStatus code = 0;
  CHECK_STATUS(VI_SUCCESS, Korvane_error_message(VI_NULL, IVI_ERROR_INVALID_VALUE, text));
  CHECK(strcmp(text, "Invalid value (%1) for method %2, parameter %3.") == 0);
  CHECK_STATUS(VI_SUCCESS, Korvane_error_message(VI_NULL, IVI_ERROR_INVALID_ATTRIBUTE, text));
  CHECK(text[0] == '\0');
  CHECK_STATUS((ViStatus)strlen("Success.") + 1, Korvane_error_message(VI_NULL, 0, NULL));

  /* A null Vi stores nothing; GetError's null ErrorCode is refused with its own message. */
  Korvane_ClearError(VI_NULL);
  CHECK_STATUS(IVI_ERROR_NULL_POINTER, Korvane_init("PXI0::0::INSTR", VI_FALSE, VI_FALSE, NULL));
  CHECK(LastError(VI_NULL, text, sizeof text) == VI_SUCCESS && text[0] == '\0');
  CHECK_STATUS(IVI_ERROR_NULL_POINTER, Korvane_GetError(VI_NULL, NULL, 0, NULL));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetError(VI_NULL, &code, sizeof text, text));
  CHECK(code == IVI_ERROR_NULL_POINTER);
  CHECK(strcmp(text, "Parameter ErrorCode is VI_NULL.") == 0);
}

static void SessionlessAttributes(void) {
  ViChar text[256];
  ViInt32 version = -1;
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViString(
                               VI_NULL, "", IVI_ATTR_SPECIFIC_DRIVER_PREFIX, sizeof text, text));
  CHECK(strcmp(text, "Korvane") == 0);
  CHECK_STATUS(
      8, Korvane_GetAttributeViString(VI_NULL, "", IVI_ATTR_SPECIFIC_DRIVER_PREFIX, 256, NULL));
  CHECK_STATUS(VI_SUCCESS,
               Korvane_GetAttributeViInt32(
                   VI_NULL, "", IVI_ATTR_SPECIFIC_DRIVER_CLASS_SPEC_MAJOR_VERSION, &version));
  CHECK(version != -1);
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViString(
                               VI_NULL, "", IVI_ATTR_SPECIFIC_DRIVER_VENDOR, sizeof text, text));
  CHECK(text[0] != '\0');
  CHECK(Korvane_GetAttributeViString(VI_NULL, "", IVI_ATTR_LOGICAL_NAME, sizeof text, text) < 0);
}

static void FailedInit(void) {
  ViSession vi = 77;
  ViChar text[256];
  const ViStatus status =
      Korvane_InitWithOptions("PXI0::0::INSTR", VI_FALSE, VI_FALSE, "InterchangeCheck=true", &vi);
  CHECK(status == IVI_ERROR_BAD_OPTION_VALUE);
  CHECK(vi == VI_NULL);
  CHECK(LastError(VI_NULL, text, sizeof text) == status);
  CHECK(strstr(text, "Interchange checking is not supported") != NULL);
}

/* GetError with buffer sizes 0, 1, exact and large: the first only asks for the size. */
static void GetErrorSizes(ViSession vi) {
  static const char expected[] = "Parameter Val is VI_NULL.";
  const ViInt32 exact = (ViInt32)sizeof expected;
  ViChar text[256];
  ViStatus code = 0;
  CHECK_STATUS(IVI_ERROR_NULL_POINTER, Korvane_TriggerBusConnection(vi, 0, NULL));
  memset(text, 'x', sizeof text);
  CHECK_STATUS(exact, Korvane_GetError(vi, &code, 0, text));
  CHECK(code == IVI_ERROR_NULL_POINTER && text[0] == 'x');
  CHECK_STATUS(exact, Korvane_GetError(vi, &code, 1, text));
  CHECK(text[0] == '\0');
  CHECK_STATUS(IVI_ERROR_NULL_POINTER, Korvane_TriggerBusConnection(vi, 0, NULL));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetError(vi, &code, exact, text));
  CHECK(strcmp(text, expected) == 0);
  CHECK_STATUS(IVI_ERROR_NULL_POINTER, Korvane_TriggerBusConnection(vi, 0, NULL));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetError(vi, &code, sizeof text, text));
  CHECK(strcmp(text, expected) == 0);
  CHECK_STATUS(VI_SUCCESS, Korvane_ClearError(vi));
  CHECK(LastError(vi, text, sizeof text) == VI_SUCCESS);
}

/* An integer attribute accepts its range's edges and refuses one beyond each. */
static void IntegerRange(ViSession vi, ViAttr id, ViInt32 low, ViInt32 high) {
  ViInt32 value = -1;
  CHECK_STATUS(VI_SUCCESS, Korvane_SetAttributeViInt32(vi, "", id, low));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViInt32(vi, "", id, &value));
  CHECK(value == low);
  CHECK_STATUS(VI_SUCCESS, Korvane_SetAttributeViInt32(vi, "ignored", id, high));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViInt32(vi, "", id, &value));
  CHECK(value == high);
  CHECK_STATUS(IVI_ERROR_INVALID_VALUE, Korvane_SetAttributeViInt32(vi, "", id, high + 1));
  if (low > 0)
    CHECK_STATUS(IVI_ERROR_INVALID_VALUE, Korvane_SetAttributeViInt32(vi, "", id, low - 1));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViInt32(vi, "", id, &value));
  CHECK(value == high);
}

/* A Boolean attribute: any nonzero value writes true, a read gives exactly 1 or 0. */
static void BooleanAttribute(ViSession vi, const char* selector, ViAttr id) {
  ViBoolean value = 9;
  CHECK_STATUS(VI_SUCCESS, Korvane_SetAttributeViBoolean(vi, selector, id, 2));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViBoolean(vi, selector, id, &value));
  CHECK(value == VI_TRUE);
  CHECK_STATUS(VI_SUCCESS, Korvane_SetAttributeViBoolean(vi, selector, id, VI_FALSE));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViBoolean(vi, selector, id, &value));
  CHECK(value == VI_FALSE);
}

static void Attributes(ViSession vi) {
  ViInt32 count = 0;
  ViReal64 volts = 0;
  ViChar text[256];
  IntegerRange(vi, KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP, 0, 110);
  IntegerRange(vi, KORVANE_ATTR_FANS_ALARM_MIN_RPM, 0, 10000);
  IntegerRange(vi, KORVANE_ATTR_FANS_CONTROL_MAX_RPM_TEMP, 25, 70);
  BooleanAttribute(vi, "", KORVANE_ATTR_FANS_ALARM_ENABLED);
  BooleanAttribute(vi, "", KORVANE_ATTR_REFERENCE_CLOCK_ALARM_ENABLED);
  BooleanAttribute(vi, "VPLUS_3_3", KORVANE_ATTR_VOLTAGE_RAIL_ALARM_ENABLED);
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViInt32(vi, "", KORVANE_ATTR_FANS_COUNT, &count));
  CHECK(count == 3);
  CHECK_STATUS(VI_SUCCESS,
               Korvane_GetAttributeViString(vi, "", IVI_ATTR_DRIVER_SETUP, sizeof text, text));

  /* The +5 V rail's high threshold spans 5.0 to 6.25 V. */
  CHECK_STATUS(VI_SUCCESS, Korvane_SetAttributeViReal64(
                               vi, "VPLUS_5_0", KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE, 6.25));
  CHECK_STATUS(VI_SUCCESS, Korvane_SetAttributeViReal64(
                               vi, "VPLUS_5_0", KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE, 5.0));
  CHECK_STATUS(IVI_ERROR_INVALID_VALUE,
               Korvane_SetAttributeViReal64(vi, "VPLUS_5_0",
                                            KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE, 6.26));
  CHECK_STATUS(VI_SUCCESS,
               Korvane_GetAttributeViReal64(vi, " VPLUS_5_0 ",
                                            KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE, &volts));
  CHECK(volts == 5.0);

  /* Dispatch errors, checked before the value and the session. */
  CHECK_STATUS(IVI_ERROR_INVALID_ATTRIBUTE,
               Korvane_GetAttributeViInt32(vi, "", IVI_SPECIFIC_PUBLIC_ATTR_BASE + 11, NULL));
  CHECK(LastError(vi, text, sizeof text) == IVI_ERROR_INVALID_ATTRIBUTE && text[0] == '\0');
  CHECK_STATUS(IVI_ERROR_TYPES_DO_NOT_MATCH,
               Korvane_GetAttributeViSession(vi, "", IVI_ATTR_CACHE, NULL));
  CHECK_STATUS(IVI_ERROR_TYPES_DO_NOT_MATCH,
               Korvane_SetAttributeViInt32(VI_NULL, "", IVI_ATTR_LOGICAL_NAME, 1));
  CHECK_STATUS(IVI_ERROR_IVI_ATTR_NOT_WRITABLE,
               Korvane_SetAttributeViString(vi, "", IVI_ATTR_LOGICAL_NAME, "x"));
  CHECK_STATUS(IVI_ERROR_IVI_ATTR_NOT_WRITABLE,
               Korvane_SetAttributeViInt32(vi, "", KORVANE_ATTR_FANS_COUNT, 1));
  CHECK_STATUS(IVI_ERROR_NULL_POINTER,
               Korvane_GetAttributeViInt32(vi, "", KORVANE_ATTR_FANS_COUNT, NULL));
  CHECK(LastError(vi, text, sizeof text) == IVI_ERROR_NULL_POINTER);
  CHECK(strcmp(text, "Parameter AttributeValue is VI_NULL.") == 0);
}

/* Selectors: blanks, lists, levels and their faults. */
static void Selectors(ViSession vi) {
  const ViAttr enabled = KORVANE_ATTR_VOLTAGE_RAIL_ALARM_ENABLED;
  const ViAttr maxVolts = KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE;
  ViInt32 rpm = -1;
  ViBoolean on = VI_FALSE;
  ViReal64 volts = 0;
  ViChar text[256];
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViInt32(vi, "FAN2", KORVANE_ATTR_FAN_RPM, &rpm));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViInt32(vi, "fan1:X", KORVANE_ATTR_FAN_RPM, &rpm));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViReal64(
                               vi, "TS3", KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE, &volts));
  CHECK_STATUS(IVI_ERROR_BADLY_FORMED_SELECTOR,
               Korvane_GetAttributeViInt32(vi, "FAN1-FAN3", KORVANE_ATTR_FAN_RPM, &rpm));
  CHECK(LastError(vi, text, sizeof text) == IVI_ERROR_BADLY_FORMED_SELECTOR);
  CHECK(strcmp(text, "The repeated capability selector is badly-formed.") == 0);
  CHECK_STATUS(IVI_ERROR_BADLY_FORMED_SELECTOR,
               Korvane_GetAttributeViInt32(vi, "FAN 1", KORVANE_ATTR_FAN_RPM, &rpm));
  CHECK_STATUS(IVI_ERROR_UNKNOWN_PHYSICAL_IDENTIFIER,
               Korvane_GetAttributeViInt32(vi, "", KORVANE_ATTR_FAN_RPM, &rpm));
  CHECK_STATUS(IVI_ERROR_UNKNOWN_PHYSICAL_IDENTIFIER,
               Korvane_GetAttributeViInt32(vi, "FAN9", KORVANE_ATTR_FAN_RPM, &rpm));
  CHECK(rpm != -1);

  /* A write through a list and through a bracketed level reaches every rail named. */
  CHECK_STATUS(VI_SUCCESS, Korvane_SetAttributeViBoolean(vi, "VPLUS_3_3, VPLUS_12_0", enabled, 1));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViBoolean(vi, "VPLUS_12_0", enabled, &on));
  CHECK(on == VI_TRUE);
  CHECK_STATUS(VI_SUCCESS,
               Korvane_SetAttributeViBoolean(vi, "[VPLUS_3_3,VPLUS_12_0]:A", enabled, 0));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViBoolean(vi, "VPLUS_3_3", enabled, &on));
  CHECK(on == VI_FALSE);
  CHECK_STATUS(IVI_ERROR_BADLY_FORMED_SELECTOR,
               Korvane_SetAttributeViBoolean(vi, "VPLUS_3_3,VPLUS_3_3", enabled, 1));
  CHECK_STATUS(IVI_ERROR_INVALID_NUMBER_OF_LEVELS_IN_SELECTOR,
               Korvane_SetAttributeViBoolean(vi, "VPLUS_3_3:A,VPLUS_5_0", enabled, 1));
  CHECK(LastError(vi, text, sizeof text) == IVI_ERROR_INVALID_NUMBER_OF_LEVELS_IN_SELECTOR);
  CHECK(strcmp(text,
               "Invalid or inconsistent number of levels specified in repeated capability "
               "selector.") == 0);
  CHECK_STATUS(IVI_ERROR_INVALID_RANGE_IN_SELECTOR,
               Korvane_VoltageAlarmClear(vi, "VPLUS1-VMINUS2"));
  CHECK(LastError(vi, text, sizeof text) == IVI_ERROR_INVALID_RANGE_IN_SELECTOR);
  CHECK(strcmp(text, "Invalid range specified in repeated capability selector.") == 0);

  /* A write stops at the first rail that refuses the value: 6.0 V suits the +5 V rail only. */
  CHECK_STATUS(VI_SUCCESS, Korvane_SetAttributeViReal64(vi, "VPLUS_12_0", maxVolts, 12.0));
  CHECK_STATUS(IVI_ERROR_INVALID_VALUE,
               Korvane_SetAttributeViReal64(vi, "VPLUS_5_0,VPLUS_3_3,VPLUS_12_0", maxVolts, 6.0));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViReal64(vi, "VPLUS_5_0", maxVolts, &volts));
  CHECK(volts == 6.0);
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViReal64(vi, "VPLUS_12_0", maxVolts, &volts));
  CHECK(volts == 12.0);
}

static void ChassisFunctions(ViSession vi) {
  ViChar name[64];
  ViChar text[256];
  ViInt32 value = -1;
  ViInt32 code = -1;
  CHECK_STATUS(VI_SUCCESS, Korvane_GetFanName(vi, 1, sizeof name, name));
  CHECK_STATUS((ViStatus)strlen(name) + 1, Korvane_GetFanName(vi, 1, 0, NULL));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetTemperatureSensorName(vi, 1, sizeof name, name));
  CHECK(strcmp(name, "TS1") == 0);
  CHECK_STATUS(VI_SUCCESS, Korvane_GetVoltageRailName(vi, 2, sizeof name, name));
  CHECK(strcmp(name, "VPLUS_5_0") == 0);
  CHECK_STATUS(10, Korvane_GetVoltageRailName(vi, 2, 3, name));
  CHECK(strcmp(name, "VP") == 0);
  CHECK(Korvane_GetFanName(vi, 99, sizeof name, name) < 0);
  CHECK_STATUS(VI_SUCCESS, Korvane_TemperatureAlarmClear(vi));
  CHECK_STATUS(VI_SUCCESS, Korvane_FanAlarmClear(vi));
  CHECK_STATUS(VI_SUCCESS, Korvane_RefClkAlarmClear(vi));
  CHECK_STATUS(VI_SUCCESS,
               Korvane_VoltageAlarmClear(vi, "VPLUS_3_3,VPLUS_5_0,VPLUS_12_0,VMINUS_12_0"));
  CHECK_STATUS(VI_SUCCESS, Korvane_TriggerBusConnect(vi, 3, KORVANE_VAL_TRIG_BUS_2_TO_3));
  CHECK_STATUS(VI_SUCCESS, Korvane_TriggerBusConnection(vi, 3, &value));
  CHECK(value == KORVANE_VAL_TRIG_BUS_2_TO_3);
  CHECK(Korvane_TriggerBusConnect(vi, 8, KORVANE_VAL_TRIG_BUS_2_TO_3) < 0);
  CHECK(Korvane_TriggerBusConnect(vi, 0, 8) < 0);
  CHECK(LastError(vi, text, sizeof text) < 0 && text[0] != '\0');
  CHECK_STATUS(VI_SUCCESS, Korvane_TriggerBusDisconnect(vi));
  CHECK_STATUS(VI_SUCCESS, Korvane_TriggerBusConnection(vi, 3, &value));
  CHECK(value == KORVANE_VAL_TRIG_BUS_ISOLATE_ALL);
  CHECK_STATUS(VI_SUCCESS, Korvane_TriggerBusConnectDefault(vi));
  CHECK_STATUS(IVI_ERROR_NULL_POINTER, Korvane_SelfTestErrorQuery(vi, NULL, 0, NULL));
  CHECK(Korvane_SelfTestErrorQuery(vi, &code, sizeof text, text) >= 0);
  CHECK(code != -1);
}

static void InherentFunctions(ViSession vi) {
  ViChar first[256];
  ViChar second[256];
  ViInt16 result = -1;
  ViInt32 code = -1;
  ViBoolean hasLock = VI_FALSE;
  CHECK_STATUS(VI_SUCCESS, Korvane_LockSession(vi, &hasLock));
  CHECK(hasLock == VI_TRUE);
  CHECK_STATUS(VI_SUCCESS, Korvane_reset(vi)); /* the lock holder passes its own lookups */
  CHECK_STATUS(VI_SUCCESS, Korvane_UnlockSession(vi, &hasLock));
  CHECK(hasLock == VI_FALSE);
  CHECK_STATUS(VI_SUCCESS, Korvane_ResetWithDefaults(vi));
  CHECK_STATUS(VI_SUCCESS, Korvane_Disable(vi));
  /* The driver supports neither interchange checks, coercion records nor an error query. */
  CHECK_STATUS(IVI_ERROR_FUNCTION_NOT_SUPPORTED, Korvane_InvalidateAllAttributes(vi));
  CHECK_STATUS(IVI_ERROR_FUNCTION_NOT_SUPPORTED, Korvane_ResetInterchangeCheck(vi));
  CHECK_STATUS(IVI_ERROR_FUNCTION_NOT_SUPPORTED, Korvane_ClearInterchangeWarnings(vi));
  first[0] = 'x';
  CHECK_STATUS(IVI_ERROR_FUNCTION_NOT_SUPPORTED, Korvane_GetNextInterchangeWarning(vi, 0, first));
  CHECK_STATUS(IVI_ERROR_FUNCTION_NOT_SUPPORTED, Korvane_GetNextCoercionRecord(vi, -1, first));
  CHECK(first[0] == 'x');
  CHECK_STATUS(IVI_ERROR_ATTRIBUTE_NOT_SUPPORTED,
               Korvane_SetAttributeViBoolean(vi, "", IVI_ATTR_RANGE_CHECK, 0));
  CHECK_STATUS(IVI_ERROR_NULL_POINTER, Korvane_self_test(vi, NULL, first));
  CHECK(Korvane_self_test(vi, &result, first) >= 0 && result != -1);
  CHECK_STATUS(IVI_ERROR_NULL_POINTER, Korvane_error_query(vi, NULL, first));
  CHECK_STATUS(IVI_ERROR_FUNCTION_NOT_SUPPORTED, Korvane_error_query(vi, &code, first));
  CHECK(code == -1);
  first[0] = second[0] = '\0';
  CHECK(Korvane_revision_query(vi, first, second) >= 0);
  CHECK(first[0] != '\0' && second[0] != '\0');
}

/* The virtual chassis answers a rail read with the live voltage. */
static void VirtualChassis(void) {
  ViSession vi = VI_NULL;
  ViReal64 volts = 0;
  ViChar text[256];
  CHECK_STATUS(VI_SUCCESS, Korvane_init("PXI0::0::INSTR", VI_TRUE, VI_TRUE, &vi));
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViReal64(vi, "VPLUS_5_0",
                                                        KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE, &volts));
  CHECK(volts > 4.0 && volts < 6.0);
  CHECK_STATUS(VI_SUCCESS, Korvane_GetAttributeViString(vi, "", IVI_ATTR_IO_RESOURCE_DESCRIPTOR,
                                                        sizeof text, text));
  CHECK(strcmp(text, "PXI0::0::INSTR") == 0);
  CHECK_STATUS(VI_SUCCESS, Korvane_close(vi));
}

int main(void) {
  ViSession vi = VI_NULL;
  ErrorFunctions();
  SessionlessAttributes();
  FailedInit();
  CHECK_STATUS(VI_SUCCESS,
               Korvane_InitWithOptions("PXI0::0::INSTR", VI_FALSE, VI_FALSE, "Simulate=true", &vi));
  CHECK(vi != VI_NULL);
  GetErrorSizes(vi);
  Attributes(vi);
  Selectors(vi);
  ChassisFunctions(vi);
  InherentFunctions(vi);
  CHECK_STATUS(VI_SUCCESS, Korvane_close(vi));
  CHECK(Korvane_reset(vi) < 0);
  CHECK(Korvane_close(vi) < 0);
  VirtualChassis();
  if (failures == 0) printf("c_client: all checks passed\n");
  return failures == 0 ? 0 : 1;
}

/* Korvane: the IVI-C face of the Q7730A chassis driver.
 *
 * Include this header alone and link the driver module (Korvane.dll, libKorvane.so). It compiles
 * as C89, C99 and C++. The VISA base types are declared here unless a VISA type header was
 * included first; one included afterwards is then skipped, so the two orders both compile.
 *
 * Every function and attribute (type, access, units, range, repeated capability, help text) is
 * described in reference.md, installed with the development files
 * (/usr/share/doc/libkorvane-dev/reference.md) and generated from this header and the driver's
 * tables. */
#ifndef KORVANE_IVIC_KORVANE_H
#define KORVANE_IVIC_KORVANE_H

/* --- VISA base types ------------------------------------------------------------------------ */
#if !defined(__VISATYPE_HEADER__) && !defined(KORVANE_PLATFORM_IVI_VISATYPE_H)
#define __VISATYPE_HEADER__
#define KORVANE_PLATFORM_IVI_VISATYPE_H
typedef short ViInt16;
typedef unsigned short ViUInt16;
typedef int ViInt32;
typedef unsigned int ViUInt32;
typedef double ViReal64;
typedef ViUInt16 ViBoolean;
typedef char ViChar;
typedef ViChar* ViString;
typedef ViChar* ViRsrc;
typedef const ViChar* ViConstString;
typedef ViUInt32 ViSession;
typedef ViInt32 ViStatus;
typedef ViUInt32 ViAttr;
#endif
#ifndef VI_NULL
#define VI_NULL 0
#endif
#ifndef VI_TRUE
#define VI_TRUE 1
#endif
#ifndef VI_FALSE
#define VI_FALSE 0
#endif
#ifndef VI_SUCCESS
#define VI_SUCCESS 0
#endif

/* --- Export macro ---------------------------------------------------------------------------- */
#if defined(_WIN32)
#if defined(KORVANE_IVIC_BUILD)
#define KORVANE_API __declspec(dllexport)
#else
#define KORVANE_API __declspec(dllimport)
#endif
#else
#define KORVANE_API __attribute__((visibility("default")))
#endif

/* --- Attribute identifiers ------------------------------------------------------------------- */
#ifndef IVI_INHERENT_ATTR_BASE
#define IVI_INHERENT_ATTR_BASE 1050000L
#endif
#ifndef IVI_SPECIFIC_PUBLIC_ATTR_BASE
#define IVI_SPECIFIC_PUBLIC_ATTR_BASE 1150000L
#endif

#ifndef IVI_ATTR_RANGE_CHECK
#define IVI_ATTR_RANGE_CHECK (IVI_INHERENT_ATTR_BASE + 2L)
#define IVI_ATTR_QUERY_INSTRUMENT_STATUS (IVI_INHERENT_ATTR_BASE + 3L)
#define IVI_ATTR_CACHE (IVI_INHERENT_ATTR_BASE + 4L)
#define IVI_ATTR_SIMULATE (IVI_INHERENT_ATTR_BASE + 5L)
#define IVI_ATTR_RECORD_COERCIONS (IVI_INHERENT_ATTR_BASE + 6L)
#define IVI_ATTR_DRIVER_SETUP (IVI_INHERENT_ATTR_BASE + 7L)
#define IVI_ATTR_INTERCHANGE_CHECK (IVI_INHERENT_ATTR_BASE + 21L)
#define IVI_ATTR_SPECIFIC_DRIVER_PREFIX (IVI_INHERENT_ATTR_BASE + 302L)
#define IVI_ATTR_IO_RESOURCE_DESCRIPTOR (IVI_INHERENT_ATTR_BASE + 304L)
#define IVI_ATTR_LOGICAL_NAME (IVI_INHERENT_ATTR_BASE + 305L)
#define IVI_ATTR_SUPPORTED_INSTRUMENT_MODELS (IVI_INHERENT_ATTR_BASE + 327L)
#define IVI_ATTR_GROUP_CAPABILITIES (IVI_INHERENT_ATTR_BASE + 401L)
#define IVI_ATTR_INSTRUMENT_FIRMWARE_REVISION (IVI_INHERENT_ATTR_BASE + 510L)
#define IVI_ATTR_INSTRUMENT_MANUFACTURER (IVI_INHERENT_ATTR_BASE + 511L)
#define IVI_ATTR_INSTRUMENT_MODEL (IVI_INHERENT_ATTR_BASE + 512L)
#define IVI_ATTR_SPECIFIC_DRIVER_VENDOR (IVI_INHERENT_ATTR_BASE + 513L)
#define IVI_ATTR_SPECIFIC_DRIVER_DESCRIPTION (IVI_INHERENT_ATTR_BASE + 514L)
#define IVI_ATTR_SPECIFIC_DRIVER_CLASS_SPEC_MAJOR_VERSION (IVI_INHERENT_ATTR_BASE + 515L)
#define IVI_ATTR_SPECIFIC_DRIVER_CLASS_SPEC_MINOR_VERSION (IVI_INHERENT_ATTR_BASE + 516L)
#define IVI_ATTR_SPECIFIC_DRIVER_REVISION (IVI_INHERENT_ATTR_BASE + 551L)
#endif

#define KORVANE_ATTR_SYSTEM_SERIAL_NUMBER (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 1L)
#define KORVANE_ATTR_SYSTEM_TRACE_ENABLED (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 2L)
#define KORVANE_ATTR_TEMPERATURE_SENSORS_COUNT (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 3L)
#define KORVANE_ATTR_FANS_COUNT (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 4L)
#define KORVANE_ATTR_FANS_ALARM_OCCURRED (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 5L)
#define KORVANE_ATTR_FANS_ALARM_ENABLED (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 6L)
#define KORVANE_ATTR_FANS_ALARM_MIN_RPM (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 7L)
#define KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_OCCURRED (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 8L)
#define KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_ENABLED (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 9L)
#define KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 10L)
#define KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 12L)
#define KORVANE_ATTR_FAN_RPM (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 13L)
#define KORVANE_ATTR_FANS_CONTROL_MAX_RPM_TEMP (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 14L)
#define KORVANE_ATTR_REFERENCE_CLOCK_SOURCE (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 20L)
#define KORVANE_ATTR_PCIE_LINK (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 22L)
#define KORVANE_ATTR_VOLTAGE_RAILS_COUNT (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 23L)
#define KORVANE_ATTR_VOLTAGE_RAIL_ALARM_OCCURRED (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 24L)
#define KORVANE_ATTR_VOLTAGE_RAIL_ALARM_ENABLED (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 25L)
#define KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 26L)
#define KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MIN_VOLTAGE (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 27L)
#define KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 28L)
#define KORVANE_ATTR_SYSTEM_UPTIME (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 29L)
#define KORVANE_ATTR_VOLTAGE_RAIL_EXPECTED_VOLTAGE (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 30L)
#define KORVANE_ATTR_REFERENCE_CLOCK_ALARM_OCCURRED (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 31L)
#define KORVANE_ATTR_REFERENCE_CLOCK_ALARM_ENABLED (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 32L)
#define KORVANE_ATTR_FANS_CONTROL_AUTO (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 33L)
#define KORVANE_ATTR_SYSTEM_SELF_TEST_ERROR_COUNT (IVI_SPECIFIC_PUBLIC_ATTR_BASE + 34L)

/* --- Attribute values ------------------------------------------------------------------------ */
#define KORVANE_VAL_REF_CLOCK_SOURCE_INTERNAL 0
#define KORVANE_VAL_REF_CLOCK_SOURCE_EXTERNAL 1
#define KORVANE_VAL_REF_CLOCK_SOURCE_TIMING_MODULE 2

#define KORVANE_VAL_TRIG_BUS_ISOLATE_ALL 0
#define KORVANE_VAL_TRIG_BUS_1_TO_2 1
#define KORVANE_VAL_TRIG_BUS_1_TO_2_TO_3 2
#define KORVANE_VAL_TRIG_BUS_2_TO_1 3
#define KORVANE_VAL_TRIG_BUS_2_TO_3 4
#define KORVANE_VAL_TRIG_BUS_2_TO_1_AND_3 5
#define KORVANE_VAL_TRIG_BUS_3_TO_2 6
#define KORVANE_VAL_TRIG_BUS_3_TO_2_TO_1 7

/* --- Status codes ---------------------------------------------------------------------------- */
#define KORVANE_STATUS(value) ((ViStatus)(value##UL))

#ifndef IVI_ERROR_BASE
#define IVI_ERROR_BASE KORVANE_STATUS(0xBFFA0000)
#endif
#ifndef IVI_ERROR_CANNOT_RECOVER
#define IVI_ERROR_CANNOT_RECOVER KORVANE_STATUS(0xBFFA0000)
#define IVI_ERROR_INSTRUMENT_STATUS KORVANE_STATUS(0xBFFA0001)
#define IVI_ERROR_CANNOT_OPEN_FILE KORVANE_STATUS(0xBFFA0002)
#define IVI_ERROR_READING_FILE KORVANE_STATUS(0xBFFA0003)
#define IVI_ERROR_WRITING_FILE KORVANE_STATUS(0xBFFA0004)
#define IVI_ERROR_INVALID_PATHNAME KORVANE_STATUS(0xBFFA000B)
#define IVI_ERROR_INVALID_ATTRIBUTE KORVANE_STATUS(0xBFFA000C)
#define IVI_ERROR_IVI_ATTR_NOT_WRITABLE KORVANE_STATUS(0xBFFA000D)
#define IVI_ERROR_IVI_ATTR_NOT_READABLE KORVANE_STATUS(0xBFFA000E)
#define IVI_ERROR_INVALID_VALUE KORVANE_STATUS(0xBFFA0010)
#define IVI_ERROR_FUNCTION_NOT_SUPPORTED KORVANE_STATUS(0xBFFA0011)
#define IVI_ERROR_ATTRIBUTE_NOT_SUPPORTED KORVANE_STATUS(0xBFFA0012)
#define IVI_ERROR_VALUE_NOT_SUPPORTED KORVANE_STATUS(0xBFFA0013)
#define IVI_ERROR_TYPES_DO_NOT_MATCH KORVANE_STATUS(0xBFFA0015)
#define IVI_ERROR_NOT_INITIALIZED KORVANE_STATUS(0xBFFA001D)
#define IVI_ERROR_UNKNOWN_CHANNEL_NAME KORVANE_STATUS(0xBFFA0020)
#define IVI_ERROR_TOO_MANY_OPEN_FILES KORVANE_STATUS(0xBFFA0023)
#define IVI_ERROR_CHANNEL_NAME_REQUIRED KORVANE_STATUS(0xBFFA0044)
#define IVI_ERROR_MISSING_OPTION_NAME KORVANE_STATUS(0xBFFA0049)
#define IVI_ERROR_MISSING_OPTION_VALUE KORVANE_STATUS(0xBFFA004A)
#define IVI_ERROR_BAD_OPTION_NAME KORVANE_STATUS(0xBFFA004B)
#define IVI_ERROR_BAD_OPTION_VALUE KORVANE_STATUS(0xBFFA004C)
#define IVI_ERROR_OUT_OF_MEMORY KORVANE_STATUS(0xBFFA0056)
#define IVI_ERROR_OPERATION_PENDING KORVANE_STATUS(0xBFFA0057)
#define IVI_ERROR_NULL_POINTER KORVANE_STATUS(0xBFFA0058)
#define IVI_ERROR_UNEXPECTED_RESPONSE KORVANE_STATUS(0xBFFA0059)
#define IVI_ERROR_FILE_NOT_FOUND KORVANE_STATUS(0xBFFA005B)
#define IVI_ERROR_INVALID_FILE_FORMAT KORVANE_STATUS(0xBFFA005C)
#define IVI_ERROR_STATUS_NOT_AVAILABLE KORVANE_STATUS(0xBFFA005D)
#define IVI_ERROR_ID_QUERY_FAILED KORVANE_STATUS(0xBFFA005E)
#define IVI_ERROR_RESET_FAILED KORVANE_STATUS(0xBFFA005F)
#define IVI_ERROR_RESOURCE_UNKNOWN KORVANE_STATUS(0xBFFA0060)
#define IVI_ERROR_ALREADY_INITIALIZED KORVANE_STATUS(0xBFFA0061)
#define IVI_ERROR_CANNOT_CHANGE_SIMULATION_STATE KORVANE_STATUS(0xBFFA0062)
#define IVI_ERROR_INVALID_NUMBER_OF_LEVELS_IN_SELECTOR KORVANE_STATUS(0xBFFA0063)
#define IVI_ERROR_INVALID_RANGE_IN_SELECTOR KORVANE_STATUS(0xBFFA0064)
#define IVI_ERROR_UNKNOWN_NAME_IN_SELECTOR KORVANE_STATUS(0xBFFA0065)
#define IVI_ERROR_BADLY_FORMED_SELECTOR KORVANE_STATUS(0xBFFA0066)
#define IVI_ERROR_UNKNOWN_PHYSICAL_IDENTIFIER KORVANE_STATUS(0xBFFA0067)
#endif
#ifndef IVI_WARN_NSUP_ID_QUERY
#define IVI_WARN_NSUP_ID_QUERY KORVANE_STATUS(0x3FFA0065)
#define IVI_WARN_NSUP_RESET KORVANE_STATUS(0x3FFA0066)
#define IVI_WARN_NSUP_SELF_TEST KORVANE_STATUS(0x3FFA0067)
#define IVI_WARN_NSUP_ERROR_QUERY KORVANE_STATUS(0x3FFA0068)
#define IVI_WARN_NSUP_REV_QUERY KORVANE_STATUS(0x3FFA0069)
#endif

/* Any COM result without a status of its own. */
#define KORVANE_ERROR_GENERIC KORVANE_STATUS(0x80000000)
#define KORVANE_ERROR_VISA_API KORVANE_STATUS(0xBFFA4001)
#define KORVANE_ERROR_CHASSIS_API KORVANE_STATUS(0xBFFA4002)
#define KORVANE_ERROR_UNEXPECTED KORVANE_STATUS(0xBFFA4003)
#define KORVANE_ERROR_INTERNAL_SW KORVANE_STATUS(0xBFFA4004)
#define KORVANE_ERROR_PERSONALITY_NOT_ACTIVE KORVANE_STATUS(0xBFFA4211)
#define KORVANE_ERROR_PERSONALITY_NOT_INSTALLED KORVANE_STATUS(0xBFFA4212)
#define KORVANE_ERROR_IO_GENERAL KORVANE_STATUS(0xBFFA4214)
#define KORVANE_ERROR_IO_TIMEOUT KORVANE_STATUS(0xBFFA4215)
#define KORVANE_ERROR_MODEL_NOT_SUPPORTED KORVANE_STATUS(0xBFFA4216)

#ifdef __cplusplus
extern "C" {
#endif

/* --- Sessions -------------------------------------------------------------------------------- */
KORVANE_API ViStatus Korvane_init(ViRsrc ResourceName, ViBoolean IdQuery, ViBoolean Reset,
                                  ViSession* Vi);
KORVANE_API ViStatus Korvane_InitWithOptions(ViRsrc ResourceName, ViBoolean IdQuery,
                                             ViBoolean Reset, ViConstString OptionString,
                                             ViSession* Vi);
KORVANE_API ViStatus Korvane_close(ViSession Vi);

/* --- Inherent functions ---------------------------------------------------------------------- */
KORVANE_API ViStatus Korvane_LockSession(ViSession Vi, ViBoolean* CallerHasLock);
KORVANE_API ViStatus Korvane_UnlockSession(ViSession Vi, ViBoolean* CallerHasLock);
KORVANE_API ViStatus Korvane_GetError(ViSession Vi, ViStatus* ErrorCode, ViInt32 BufferSize,
                                      ViChar Description[]);
KORVANE_API ViStatus Korvane_ClearError(ViSession Vi);
KORVANE_API ViStatus Korvane_error_message(ViSession Vi, ViStatus ErrorCode,
                                           ViChar ErrorMessage[256]);
KORVANE_API ViStatus Korvane_error_query(ViSession Vi, ViInt32* ErrorCode,
                                         ViChar ErrorMessage[256]);
KORVANE_API ViStatus Korvane_self_test(ViSession Vi, ViInt16* TestResult, ViChar TestMessage[256]);
KORVANE_API ViStatus Korvane_reset(ViSession Vi);
KORVANE_API ViStatus Korvane_ResetWithDefaults(ViSession Vi);
KORVANE_API ViStatus Korvane_Disable(ViSession Vi);
KORVANE_API ViStatus Korvane_revision_query(ViSession Vi, ViChar InstrumentDriverRevision[256],
                                            ViChar FirmwareRevision[256]);
KORVANE_API ViStatus Korvane_InvalidateAllAttributes(ViSession Vi);
KORVANE_API ViStatus Korvane_ResetInterchangeCheck(ViSession Vi);
KORVANE_API ViStatus Korvane_ClearInterchangeWarnings(ViSession Vi);
KORVANE_API ViStatus Korvane_GetNextInterchangeWarning(ViSession Vi, ViInt32 BufferSize,
                                                       ViChar InterchangeWarning[]);
KORVANE_API ViStatus Korvane_GetNextCoercionRecord(ViSession Vi, ViInt32 BufferSize,
                                                   ViChar CoercionRecord[]);

/* --- Attributes ------------------------------------------------------------------------------ */
KORVANE_API ViStatus Korvane_GetAttributeViInt32(ViSession Vi, ViConstString RepCapIdentifier,
                                                 ViAttr AttributeID, ViInt32* AttributeValue);
KORVANE_API ViStatus Korvane_GetAttributeViReal64(ViSession Vi, ViConstString RepCapIdentifier,
                                                  ViAttr AttributeID, ViReal64* AttributeValue);
KORVANE_API ViStatus Korvane_GetAttributeViBoolean(ViSession Vi, ViConstString RepCapIdentifier,
                                                   ViAttr AttributeID, ViBoolean* AttributeValue);
KORVANE_API ViStatus Korvane_GetAttributeViSession(ViSession Vi, ViConstString RepCapIdentifier,
                                                   ViAttr AttributeID, ViSession* AttributeValue);
KORVANE_API ViStatus Korvane_GetAttributeViString(ViSession Vi, ViConstString RepCapIdentifier,
                                                  ViAttr AttributeID, ViInt32 BufferSize,
                                                  ViChar AttributeValue[]);
KORVANE_API ViStatus Korvane_SetAttributeViInt32(ViSession Vi, ViConstString RepCapIdentifier,
                                                 ViAttr AttributeID, ViInt32 AttributeValue);
KORVANE_API ViStatus Korvane_SetAttributeViReal64(ViSession Vi, ViConstString RepCapIdentifier,
                                                  ViAttr AttributeID, ViReal64 AttributeValue);
KORVANE_API ViStatus Korvane_SetAttributeViBoolean(ViSession Vi, ViConstString RepCapIdentifier,
                                                   ViAttr AttributeID, ViBoolean AttributeValue);
KORVANE_API ViStatus Korvane_SetAttributeViSession(ViSession Vi, ViConstString RepCapIdentifier,
                                                   ViAttr AttributeID, ViSession AttributeValue);
KORVANE_API ViStatus Korvane_SetAttributeViString(ViSession Vi, ViConstString RepCapIdentifier,
                                                  ViAttr AttributeID, ViConstString AttributeValue);

/* --- Chassis functions ----------------------------------------------------------------------- */
KORVANE_API ViStatus Korvane_SelfTestErrorQuery(ViSession Vi, ViInt32* ErrorCode,
                                                ViInt32 BufferSize, ViChar ErrorMessage[]);
KORVANE_API ViStatus Korvane_GetTemperatureSensorName(ViSession Vi, ViInt32 Index,
                                                      ViInt32 BufferSize, ViChar Name[]);
KORVANE_API ViStatus Korvane_GetFanName(ViSession Vi, ViInt32 Index, ViInt32 BufferSize,
                                        ViChar Name[]);
KORVANE_API ViStatus Korvane_GetVoltageRailName(ViSession Vi, ViInt32 Index, ViInt32 BufferSize,
                                                ViChar Name[]);
KORVANE_API ViStatus Korvane_TemperatureAlarmClear(ViSession Vi);
KORVANE_API ViStatus Korvane_FanAlarmClear(ViSession Vi);
KORVANE_API ViStatus Korvane_RefClkAlarmClear(ViSession Vi);
KORVANE_API ViStatus Korvane_VoltageAlarmClear(ViSession Vi, ViConstString RepCapIdentifier);
KORVANE_API ViStatus Korvane_TriggerBusConnect(ViSession Vi, ViInt32 Trig,
                                               ViInt32 BusConfiguration);
KORVANE_API ViStatus Korvane_TriggerBusDisconnect(ViSession Vi);
KORVANE_API ViStatus Korvane_TriggerBusConnectDefault(ViSession Vi);
KORVANE_API ViStatus Korvane_TriggerBusConnection(ViSession Vi, ViInt32 Trig, ViInt32* Val);

#ifdef __cplusplus
}
#endif

#endif /* KORVANE_IVIC_KORVANE_H */

"""Reads the chassis's health through the driver's C face (ctypes on the Korvane
library), as an oracle for what `korvane status --json` must hold.

Usage: c_face_reading.py LIBRARY KORVANE_H RESOURCE OPTIONS
Prints one JSON object: {path: ["value", v] or ["error", status]}, where a path
is the JSON document's members joined with "/" ("fans/fans/1/rpm"). The
chassis scenario comes from the environment, as for korvane.
"""
import ctypes
import json
import re
import sys


def attribute_ids(header):
    """Every #define of Korvane.h that is a number or a sum of such."""
    with open(header) as f:
        text = f.read()
    defines = dict(re.findall(r"^#define (\w+) (.+)$", text, re.M))
    ids = {}

    def value(name):
        if name not in ids:
            expression = re.sub(r"(\d+)L\b", r"\1", defines[name])
            ids[name] = eval(re.sub(r"[A-Za-z_]\w*", lambda m: str(value(m.group(0))),
                                    expression))
        return ids[name]

    return value


def main(library, header, resource, options):
    lib = ctypes.CDLL(library)
    attr = attribute_ids(header)
    vi = ctypes.c_uint32()
    status = lib.Korvane_InitWithOptions(resource.encode(), 1, 0, options.encode(),
                                         ctypes.byref(vi))
    if status < 0:
        sys.exit("the C face refused the session: %d" % status)
    reading = {}

    def read(path, kind, name, selector=""):
        value = {"real": ctypes.c_double, "int": ctypes.c_int32,
                 "bool": ctypes.c_uint16}[kind]()
        function = {"real": lib.Korvane_GetAttributeViReal64,
                    "int": lib.Korvane_GetAttributeViInt32,
                    "bool": lib.Korvane_GetAttributeViBoolean}[kind]
        status = function(vi, selector.encode(), attr(name), ctypes.byref(value))
        result = ["error", status] if status < 0 else ["value", value.value]
        if kind == "bool" and result[0] == "value":
            result[1] = bool(result[1])
        reading[path] = result
        return result

    def text(path, name):
        buffer = ctypes.create_string_buffer(1024)
        status = lib.Korvane_GetAttributeViString(vi, b"", attr(name), 1024, buffer)
        reading[path] = ["error", status] if status < 0 else ["value", buffer.value.decode()]

    for member, name in [("manufacturer", "IVI_ATTR_INSTRUMENT_MANUFACTURER"),
                         ("model", "IVI_ATTR_INSTRUMENT_MODEL"),
                         ("serial_number", "KORVANE_ATTR_SYSTEM_SERIAL_NUMBER"),
                         ("firmware_revision", "IVI_ATTR_INSTRUMENT_FIRMWARE_REVISION")]:
        text("identity/" + member, name)
    text("pcie_link", "KORVANE_ATTR_PCIE_LINK")
    read("uptime_seconds", "real", "KORVANE_ATTR_SYSTEM_UPTIME")
    source = read("reference_clock/source", "int", "KORVANE_ATTR_REFERENCE_CLOCK_SOURCE")
    if source[0] == "value":
        source[1] = ["internal", "external", "timing module"][source[1]]
    read("reference_clock/alarm", "bool", "KORVANE_ATTR_REFERENCE_CLOCK_ALARM_OCCURRED")
    read("temperature/alarm_above_celsius", "int",
         "KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_MAX_TEMP")
    read("temperature/alarm", "bool", "KORVANE_ATTR_TEMPERATURE_SENSORS_ALARM_OCCURRED")
    read("fans/alarm_below_rpm", "int", "KORVANE_ATTR_FANS_ALARM_MIN_RPM")
    read("fans/alarm", "bool", "KORVANE_ATTR_FANS_ALARM_OCCURRED")
    read("fans/automatic", "bool", "KORVANE_ATTR_FANS_CONTROL_AUTO")
    read("fans/full_speed_celsius", "int", "KORVANE_ATTR_FANS_CONTROL_MAX_RPM_TEMP")

    def items(count_name, name_function):
        count = ctypes.c_int32()
        lib.Korvane_GetAttributeViInt32(vi, b"", attr(count_name), ctypes.byref(count))
        names = []
        for index in range(1, count.value + 1):
            buffer = ctypes.create_string_buffer(256)
            getattr(lib, name_function)(vi, index, 256, buffer)
            names.append(buffer.value.decode())
        return names

    for index, sensor in enumerate(items("KORVANE_ATTR_TEMPERATURE_SENSORS_COUNT",
                                         "Korvane_GetTemperatureSensorName")):
        reading["temperature/sensors/%d/name" % index] = ["value", sensor]
        read("temperature/sensors/%d/celsius" % index, "real",
             "KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE", sensor)
    for index, fan in enumerate(items("KORVANE_ATTR_FANS_COUNT", "Korvane_GetFanName")):
        reading["fans/fans/%d/name" % index] = ["value", fan]
        read("fans/fans/%d/rpm" % index, "int", "KORVANE_ATTR_FAN_RPM", fan)
    for index, rail in enumerate(items("KORVANE_ATTR_VOLTAGE_RAILS_COUNT",
                                       "Korvane_GetVoltageRailName")):
        prefix = "voltage_rails/%d/" % index
        reading[prefix + "name"] = ["value", rail]
        read(prefix + "volts", "real", "KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE", rail)
        read(prefix + "nominal_volts", "real", "KORVANE_ATTR_VOLTAGE_RAIL_EXPECTED_VOLTAGE", rail)
        low = read(prefix + "low_threshold_volts", "real",
                   "KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MIN_VOLTAGE", rail)
        high = read(prefix + "high_threshold_volts", "real",
                    "KORVANE_ATTR_VOLTAGE_RAIL_ALARM_MAX_VOLTAGE", rail)
        if low[0] == high[0] == "value":
            reading[prefix + "lower_volts"] = ["value", min(low[1], high[1])]
            reading[prefix + "upper_volts"] = ["value", max(low[1], high[1])]
        read(prefix + "alarm", "bool", "KORVANE_ATTR_VOLTAGE_RAIL_ALARM_OCCURRED", rail)
    lib.Korvane_close(vi)
    print(json.dumps(reading))


if __name__ == "__main__":
    main(*sys.argv[1:5])

#!/usr/bin/env python3
"""The reference of the driver's IVI-C face, from the tables the face is built from.

    make_reference.py [--check] REPOSITORY

writes docs/reference.md and python/korvane/_reference.py (the Python
package's docstrings and its lists of physical names) from:
- ivic/Korvane.h: the attribute identifiers and the exported functions;
- the driver module ($KORVANE_LIBRARY): each attribute's type and access, asked
  of the C face itself (its dispatch checks type and access before anything
  else, so a call without a session answers them);
- com/type_library.h: the type library's help strings;
- repcap/korvane_rep_caps.cpp: the physical names of the repeated capabilities;
- NOTES and FUNCTIONS below: what no table of the face holds (the COM member an
  attribute reaches, units, ranges, which repeated capability it belongs to).
With --check it writes nothing and fails when the files differ from what it
would write.
"""

from __future__ import annotations

import argparse
import ctypes
import os
import re
import sys
from pathlib import Path

# Attribute id: (COM interface, property, units, range, repeated capability or "").
# A range (low, high) is what the driver accepts when range checking is on.
NOTES = {
    1050002: ("IIviDriverOperation", "RangeCheck", "", None, ""),
    1050003: ("IIviDriverOperation", "QueryInstrumentStatus", "", None, ""),
    1050004: ("IIviDriverOperation", "Cache", "", None, ""),
    1050005: ("IIviDriverOperation", "Simulate", "", None, ""),
    1050006: ("IIviDriverOperation", "RecordCoercions", "", None, ""),
    1050007: ("IIviDriverOperation", "DriverSetup", "", None, ""),
    1050021: ("IIviDriverOperation", "InterchangeCheck", "", None, ""),
    1050302: ("", "", "", None, ""),
    1050304: ("IIviDriverOperation", "IoResourceDescriptor", "", None, ""),
    1050305: ("IIviDriverOperation", "LogicalName", "", None, ""),
    1050327: ("IIviDriverIdentity", "SupportedInstrumentModels", "", None, ""),
    1050401: ("IIviDriverIdentity", "GroupCapabilities", "", None, ""),
    1050510: ("IIviDriverIdentity", "InstrumentFirmwareRevision", "", None, ""),
    1050511: ("IIviDriverIdentity", "InstrumentManufacturer", "", None, ""),
    1050512: ("IIviDriverIdentity", "InstrumentModel", "", None, ""),
    1050513: ("IIviDriverIdentity", "Vendor", "", None, ""),
    1050514: ("IIviDriverIdentity", "Description", "", None, ""),
    1050515: ("IIviDriverIdentity", "SpecificationMajorVersion", "", None, ""),
    1050516: ("IIviDriverIdentity", "SpecificationMinorVersion", "", None, ""),
    1050551: ("IIviDriverIdentity", "Revision", "", None, ""),
    1150001: ("IKorvaneSystem", "SerialNumber", "", None, ""),
    1150002: ("IKorvaneSystem", "TraceEnabled", "", None, ""),
    1150003: ("IKorvaneTemperatureSensors", "Count", "", None, ""),
    1150004: ("IKorvaneFans", "Count", "", None, ""),
    1150005: ("IKorvaneFansAlarm", "Occurred", "", None, ""),
    1150006: ("IKorvaneFansAlarm", "Enabled", "", None, ""),
    1150007: ("IKorvaneFansAlarm", "MinRPM", "rpm", (0, 10000), ""),
    1150008: ("IKorvaneTemperatureSensorsAlarm", "Occurred", "", None, ""),
    1150009: ("IKorvaneTemperatureSensorsAlarm", "Enabled", "", None, ""),
    1150010: ("IKorvaneTemperatureSensorsAlarm", "MaxTemp", "degrees C", (0, 110), ""),
    1150012: ("IKorvaneTemperatureSensor", "Temperature", "degrees C", None, "TemperatureSensor"),
    1150013: ("IKorvaneFan", "RPM", "rpm", None, "Fan"),
    1150014: ("IKorvaneFansControl", "MaxRPMTemp", "degrees C", (25, 70), ""),
    1150020: ("IKorvaneReferenceClock", "Source", "KorvaneRefClockSourceEnum", None, ""),
    1150022: ("IKorvane", "PCIeLink", "", None, ""),
    1150023: ("IKorvaneVoltageRails", "Count", "", None, ""),
    1150024: ("IKorvaneVoltageRailAlarm", "Occurred", "", None, "VoltageRail"),
    1150025: ("IKorvaneVoltageRailAlarm", "Enabled", "", None, "VoltageRail"),
    1150026: ("IKorvaneVoltageRailAlarm", "MaxVoltage", "volts", None, "VoltageRail"),
    1150027: ("IKorvaneVoltageRailAlarm", "MinVoltage", "volts", None, "VoltageRail"),
    1150028: ("IKorvaneVoltageRail", "Voltage", "volts", None, "VoltageRail"),
    1150029: ("IKorvaneSystem", "Uptime", "seconds", None, ""),
    1150030: ("IKorvaneVoltageRail", "ExpectedVoltage", "volts", None, "VoltageRail"),
    1150031: ("IKorvaneReferenceClockAlarm", "Occurred", "", None, ""),
    1150032: ("IKorvaneReferenceClockAlarm", "Enabled", "", None, ""),
    1150033: ("IKorvaneFansControl", "Auto", "", None, ""),
    1150034: ("IKorvaneSystem", "SelfTestErrorCount", "", None, ""),
}

# Exported function: (what it does, the COM member whose help it shares or "").
FUNCTIONS = {
    "Korvane_init": ("Opens a session to the chassis at ResourceName (a resource descriptor or "
                     "logical name); IdQuery checks the model, Reset resets the chassis.", ""),
    "Korvane_InitWithOptions": ("Korvane_init with an option string: \"Simulate=true, "
                                "Cache=false, DriverSetup=...\" (the DriverSetup item last).", ""),
    "Korvane_close": ("Closes the session and frees its handle.", ""),
    "Korvane_LockSession": ("Takes the session's lock; other threads' calls on the session "
                            "wait until it is unlocked.", ""),
    "Korvane_UnlockSession": ("Releases the lock taken by Korvane_LockSession.", ""),
    "Korvane_GetError": ("The error stored for the session (for VI_NULL, for the calling "
                         "thread): its code and description; returns the buffer size needed.", ""),
    "Korvane_ClearError": ("Clears the error stored for the session.", ""),
    "Korvane_error_message": ("The text of a status code (at most 256 characters).", ""),
    "Korvane_error_query": ("The chassis's own next error code and message.", ""),
    "Korvane_self_test": ("Runs the chassis self test: its result (0 passed) and message.", ""),
    "Korvane_reset": ("Resets the chassis to its reset state.", ""),
    "Korvane_ResetWithDefaults": ("Resets the chassis and applies the configured defaults.", ""),
    "Korvane_Disable": ("Puts the chassis in a quiescent state.", ""),
    "Korvane_revision_query": ("The driver's and the chassis firmware's revisions.", ""),
    "Korvane_InvalidateAllAttributes": ("Empties the attribute cache.", ""),
    "Korvane_ResetInterchangeCheck": ("Restarts the interchangeability check.", ""),
    "Korvane_ClearInterchangeWarnings": ("Removes the recorded interchangeability warnings.", ""),
    "Korvane_GetNextInterchangeWarning": ("The next interchangeability warning, or an empty "
                                          "text.", ""),
    "Korvane_GetNextCoercionRecord": ("The next coercion record, or an empty text.", ""),
    "Korvane_GetAttributeViInt32": ("Reads a ViInt32 attribute (see Attributes).", ""),
    "Korvane_GetAttributeViReal64": ("Reads a ViReal64 attribute.", ""),
    "Korvane_GetAttributeViBoolean": ("Reads a ViBoolean attribute (VI_TRUE or VI_FALSE).", ""),
    "Korvane_GetAttributeViSession": ("No attribute has this type: always fails.", ""),
    "Korvane_GetAttributeViString": ("Reads a ViString attribute; returns the buffer size "
                                     "needed when BufferSize is too small.", ""),
    "Korvane_SetAttributeViInt32": ("Writes a ViInt32 attribute.", ""),
    "Korvane_SetAttributeViReal64": ("Writes a ViReal64 attribute.", ""),
    "Korvane_SetAttributeViBoolean": ("Writes a ViBoolean attribute (nonzero is true).", ""),
    "Korvane_SetAttributeViSession": ("No attribute has this type: always fails.", ""),
    "Korvane_SetAttributeViString": ("No string attribute is writable: always fails.", ""),
    "Korvane_SelfTestErrorQuery": ("The next code and message of the last self test's error "
                                   "list.", "IKorvaneSystem.SelfTestErrorQuery"),
    "Korvane_GetTemperatureSensorName": ("The name of temperature sensor Index (1-based).",
                                         "IKorvaneTemperatureSensors.Name"),
    "Korvane_GetFanName": ("The name of fan Index (1-based).", "IKorvaneFans.Name"),
    "Korvane_GetVoltageRailName": ("The name of voltage rail Index (1-based).",
                                   "IKorvaneVoltageRails.Name"),
    "Korvane_TemperatureAlarmClear": ("Clears the over-temperature alarm.",
                                      "IKorvaneTemperatureSensorsAlarm.Clear"),
    "Korvane_FanAlarmClear": ("Clears the fan underspeed alarm.", "IKorvaneFansAlarm.Clear"),
    "Korvane_RefClkAlarmClear": ("Clears the reference clock alarm.",
                                 "IKorvaneReferenceClockAlarm.Clear"),
    "Korvane_VoltageAlarmClear": ("Clears the alarms of the rails RepCapIdentifier names.",
                                  "IKorvaneVoltageRailAlarm.Clear"),
    "Korvane_TriggerBusConnect": ("Routes trigger line Trig (0..7) as BusConfiguration "
                                  "(KORVANE_VAL_TRIG_BUS_*).", "IKorvaneTriggerBus.Connect"),
    "Korvane_TriggerBusDisconnect": ("Isolates every trigger line.",
                                     "IKorvaneTriggerBus.DisconnectAll"),
    "Korvane_TriggerBusConnectDefault": ("Restores the default routing of every trigger line.",
                                         "IKorvaneTriggerBus.ConnectDefault"),
    "Korvane_TriggerBusConnection": ("The routing of trigger line Trig (0..7).",
                                     "IKorvaneTriggerBus.Connection"),
}

TYPES = ("ViInt32", "ViReal64", "ViBoolean", "ViString")
TYPES_DO_NOT_MATCH = -0x4005FFEB  # 0xBFFA0015
NOT_READABLE = -0x4005FFF2  # 0xBFFA000E
NOT_WRITABLE = -0x4005FFF3  # 0xBFFA000D


# --- the sources -----------------------------------------------------------------------------

def c_string(literals: str) -> str:
    """The text of adjacent C string literals."""
    return "".join(bytes(part, "utf-8").decode("unicode_escape")
                   for part in re.findall(r'"((?:[^"\\]|\\.)*)"', literals))


def attribute_ids(header: str) -> dict:
    """Attribute name: id, from the header's #defines over the two bases."""
    bases = {"IVI_INHERENT_ATTR_BASE": 1050000, "IVI_SPECIFIC_PUBLIC_ATTR_BASE": 1150000}
    return {name: bases[base] + int(offset) for name, base, offset in re.findall(
        r"#define ((?:IVI|KORVANE)_ATTR_\w+) \((\w+_ATTR_BASE) \+ (\d+)L\)", header)}


def functions(header: str) -> dict:
    """Exported function: its parameter list as declared."""
    found = {}
    for name, params in re.findall(r"KORVANE_API ViStatus (\w+)\(([^)]*)\);", header):
        found[name] = re.sub(r"\s+", " ", params).strip()
    return found


def help_strings(type_library: str) -> dict:
    """"Interface.Member": the type library's help string."""
    # Macro lines end with a backslash: joined first.
    text = re.sub(r"\\\n", " ", type_library)
    rows = re.findall(r'H\((\w+), (\w+),\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\)', text)
    declared = len(re.findall(r"^\s*H\(", type_library, re.M))
    if len(rows) != declared:
        raise SystemExit(f"read {len(rows)} of the {declared} help strings of the type library")
    return {f"{interface}.{member}": c_string(text) for interface, member, text in rows}


def physical_names(rep_caps: str) -> dict:
    names = {}
    for kind, array in re.findall(r'\{OLESTR\("(\w+)"\),\s*OLESTR\("\w+"\),\s*&\w+::Create,\s*(\w+)\}',
                                  rep_caps):
        body = re.search(array + r"\[\] = \{(.*?)\};", rep_caps, re.S).group(1)
        names[kind] = re.findall(r'OLESTR\("(\w+)"\)', body)
    return names


def probe(module: ctypes.CDLL, attribute: int) -> tuple:
    """(type, readable, writable, readable without a session), asked of the C face."""
    for type_name in TYPES:
        getter = getattr(module, "Korvane_GetAttribute" + type_name)
        if type_name == "ViString":
            status = getter(0, b"", attribute, 0, None)
        else:
            value = ctypes.c_double()  # room for any of the scalar types
            status = getter(0, b"", attribute, ctypes.byref(value))
        if status == TYPES_DO_NOT_MATCH:
            continue
        setter = getattr(module, "Korvane_SetAttribute" + type_name)
        argument = b"" if type_name == "ViString" else 0
        writable = setter(0, b"", attribute, argument) != NOT_WRITABLE
        return type_name, status != NOT_READABLE, writable, status >= 0
    raise SystemExit(f"attribute {attribute}: the driver module knows no type of it")


# --- the outputs -----------------------------------------------------------------------------

def attribute_records(header: str, module: ctypes.CDLL, helps: dict) -> list:
    records = []
    for name, attribute in sorted(attribute_ids(header).items(), key=lambda item: item[1]):
        if attribute not in NOTES:
            raise SystemExit(f"{name} ({attribute}) has no row in NOTES of {__file__}")
        interface, prop, units, value_range, rep_cap = NOTES[attribute]
        type_name, readable, writable, no_session = probe(module, attribute)
        access = ", ".join(word for word, on in (("read", readable), ("write", writable)) if on)
        records.append({
            "id": attribute, "name": name, "type": type_name, "access": access,
            "writable": writable, "no_session": no_session, "units": units,
            "range": value_range, "rep_cap": rep_cap,
            "reaches": f"{interface}.{prop}" if interface else "the constant \"Korvane\"",
            "help": helps.get(f"{interface}.{prop}", ""),
        })
    return records


def describe(record: dict) -> str:
    """One attribute in words: the docstring of its Python property."""
    parts = [f"{record['type']}, {record['access']}"]
    if record["units"]:
        parts.append(record["units"])
    if record["range"]:
        parts.append("range {}..{}".format(*record["range"]))
    if record["rep_cap"]:
        parts.append(f"per {record['rep_cap']}")
    if record["no_session"]:
        parts.append("readable without a session")
    text = f"{record['name']} ({record['id']}): " + "; ".join(parts) + "."
    return text + (" " + record["help"] if record["help"] else "")


def markdown(records: list, declared: dict, helps: dict, enum_help: dict) -> str:
    lines = [
        "# The Korvane IVI-C reference",
        "",
        "Generated by `tools/reference/make_reference.py` from `Korvane.h`, the driver's attribute",
        "table and the type library's help strings; do not edit by hand.",
        "",
        "## Functions",
        "",
        "Every function returns a `ViStatus`: 0 success, negative an error (its text through",
        "`Korvane_GetError`), positive a warning or, for texts, the buffer size needed.",
        "",
    ]
    for name, params in declared.items():
        summary, member = FUNCTIONS[name]
        lines += [f"### `{name}`", "", f"`ViStatus {name}({params})`", "", summary]
        if member and helps.get(member):
            lines += ["", f"Type library ({member}): {helps[member]}"]
        lines.append("")
    lines += [
        "## Attributes",
        "",
        "Read and written with `Korvane_GetAttribute<type>` and `Korvane_SetAttribute<type>`. A",
        "*per* attribute takes a repeated-capability selector (RepCapIdentifier: a name such as",
        "`FAN1`, a list `FAN1,FAN2`, or for writes a range `FAN1-FAN3`); the others ignore it.",
        "",
        "| ID | name | type | access | units | range | repeated capability | reaches |",
        "|---|---|---|---|---|---|---|---|",
    ]
    for r in records:
        value_range = "{}..{}".format(*r["range"]) if r["range"] else ""
        access = r["access"] + (", no session" if r["no_session"] else "")
        lines.append(f"| {r['id']} | `{r['name']}` | `{r['type']}` | {access} | {r['units']} | "
                     f"{value_range} | {r['rep_cap']} | `{r['reaches']}` |")
    lines += ["", "### Help texts of the type library", ""]
    for r in records:
        if r["help"]:
            lines += [f"- `{r['name']}`: {r['help']}"]
    lines += ["", "## Values", ""]
    for enum, text in enum_help.items():
        lines += [f"- `{enum}`: {text}"]
    return "\n".join(lines) + "\n"


def python_module(records: list, names: dict) -> str:
    lines = [
        '"""The reference of the driver\'s attributes, generated by',
        "tools/reference/make_reference.py from the C face's tables; do not edit.\"\"\"",
        "",
        "# id: (C name, type, writable, range or None, docstring)",
        "ATTRIBUTES = {",
    ]
    for r in records:
        value_range = tuple(r["range"]) if r["range"] else None
        lines.append(f"    {r['id']}: ({r['name']!r}, {r['type']!r}, {r['writable']!r}, "
                     f"{value_range!r},")
        lines.append(f"              {describe(r)!r}),")
    lines += ["}", "", "# Repeated capability: its physical names, in index order.",
              f"PHYSICAL_NAMES = {names!r}", ""]
    return "\n".join(lines)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("repository", type=Path)
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    repo = args.repository
    header = (repo / "ivic/Korvane.h").read_text()
    type_library = (repo / "com/type_library.h").read_text()
    helps = help_strings(type_library)
    enum_help = {enum: c_string(text) for enum, text in re.findall(
        r'E\((\w+), \d+,\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\)', re.sub(r"\\\n", " ", type_library))
        if c_string(text)}
    declared = functions(header)
    missing = sorted(set(declared) - set(FUNCTIONS))
    if missing:
        raise SystemExit(f"functions without a row in FUNCTIONS of {__file__}: {missing}")
    module = ctypes.CDLL(os.environ["KORVANE_LIBRARY"])
    records = attribute_records(header, module, helps)
    outputs = {
        repo / "docs/reference.md": markdown(records, declared, helps, enum_help),
        repo / "python/korvane/_reference.py": python_module(
            records, physical_names((repo / "repcap/korvane_rep_caps.cpp").read_text())),
    }
    stale = [str(path) for path, text in outputs.items()
             if not path.exists() or path.read_text() != text]
    if args.check:
        for path in stale:
            print(f"{path} is not what {Path(__file__).name} makes of the tables; run it",
                  file=sys.stderr)
        return 1 if stale else 0
    for path, text in outputs.items():
        path.write_text(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())

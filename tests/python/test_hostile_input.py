"""Input that must be refused before it reaches the C face, and errors that
say what was wrong and what is valid."""

import gc
import os
import subprocess
import sys
import types
import warnings
from pathlib import Path

import pytest

import korvane
from korvane import _library, _reference
from conftest import RESOURCE

INT32_MAX = (1 << 31) - 1


@pytest.mark.parametrize("write, error, echoed", [
    # Integers that ctypes would wrap to a valid value.
    (lambda s: setattr(s.fans.alarm, "min_rpm", 2**32 + 900), OverflowError, "4294968196"),
    (lambda s: setattr(s.fans.alarm, "min_rpm", INT32_MAX + 1), OverflowError, "0..10000"),
    (lambda s: s.trigger_bus.connect(2**32 + 3, korvane.TriggerBusConfiguration.BUS1_TO_2),
     OverflowError, "0..7"),
    (lambda s: s.trigger_bus.connect(8, korvane.TriggerBusConfiguration.BUS1_TO_2),
     ValueError, "0..7"),
    (lambda s: s.trigger_bus.connection(-1), ValueError, "0..7"),
    (lambda s: s.trigger_bus.connect(0, 8), ValueError, "ISOLATE_ALL"),
    # Keys that are neither a position nor a name, or hold a NUL.
    (lambda s: s.temperature_sensors[None], TypeError, "None"),
    (lambda s: s.temperature_sensors[1.5], TypeError, "1.5"),
    (lambda s: s.temperature_sensors[True], TypeError, "True"),
    (lambda s: s.temperature_sensors["TS1\x00junk"], ValueError, "TS1"),
    (lambda s: s.fans["FAN9"], KeyError, "FAN1, FAN2, FAN3"),
    (lambda s: s.fans[3], IndexError, "0..2"),
    # Booleans: only True and False, never a truthy text or number.
    (lambda s: setattr(s.driver_operation, "simulate", "false"), TypeError, "'false'"),
    (lambda s: setattr(s.temperature_sensors.alarm, "enabled", 2), TypeError, "2"),
    (lambda s: setattr(s.voltage_rails[0].alarm, "max_voltage", float("nan")), ValueError, "nan"),
    # A misspelt attribute names the valid ones instead of creating a new one.
    (lambda s: setattr(s.fans.alarm, "min_rmp", 5), AttributeError, "min_rpm"),
    (lambda s: setattr(s, "temprature_sensors", None), AttributeError, "temperature_sensors"),
])
def test_bad_input_is_refused_naming_value_and_valid_range(session, write, error, echoed):
    before = session.fans.alarm.min_rpm
    with pytest.raises(error) as raised:
        write(session)
    assert echoed in str(raised.value)
    assert session.fans.alarm.min_rpm == before


@pytest.mark.parametrize("keyword", ["id_query", "reset", "simulate"])
def test_session_switches_take_only_booleans(keyword):
    with pytest.raises(TypeError, match="'false'"):
        korvane.Session(RESOURCE, **{keyword: "false"})


def test_documented_ranges_are_the_drivers(session):
    """Each range of the reference is the one the driver enforces: both ends
    are accepted, one beyond either end is refused with the range named."""
    ranged = {attribute.attribute_id: (node, name) for node in _nodes(session)
              for name, attribute in _attributes_of(node) if attribute.range}
    assert ranged and set(ranged) == {i for i, a in _reference.ATTRIBUTES.items() if a[3]}
    for attribute_id, (node, name) in ranged.items():
        low, high = _reference.ATTRIBUTES[attribute_id][3]
        for value in (low, high):
            setattr(node, name, value)
            assert getattr(node, name) == value
        for value in (low - 1, high + 1):
            with pytest.raises(korvane.Error, match=rf"\(valid: {low}\.\.{high}\)"):
                setattr(node, name, value)


def _nodes(s):
    return [s.fans.alarm, s.fans.control, s.temperature_sensors.alarm, s.voltage_rails[0].alarm]


def _attributes_of(node):
    return [(name, value) for cls in type(node).__mro__ for name, value in vars(cls).items()
            if isinstance(value, korvane._attributes.Attribute)]


def test_a_dropped_session_is_closed_with_a_resource_warning():
    session = korvane.Session(RESOURCE, simulate=True)
    handle = session._connection._vi
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        del session
        gc.collect()
    assert [w.category for w in caught] == [ResourceWarning]
    assert RESOURCE in str(caught[0].message)
    value = _library.ViBoolean()
    assert _library.library().Korvane_GetAttributeViBoolean(handle, b"", 1050005,
                                                            _library.ctypes.byref(value)) < 0


def test_a_closed_session_gives_no_warning():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        korvane.Session(RESOURCE, simulate=True).close()
        gc.collect()
    assert caught == []


@pytest.mark.parametrize("simulate", [True, False])
def test_simulate_combines_with_a_driver_setup_option(simulate, monkeypatch):
    monkeypatch.setenv("KORVANE_VIRTUAL_CHASSIS", "1")
    with korvane.Session(RESOURCE, options="Cache=false, DriverSetup=Model=Q7730A",
                         simulate=simulate) as s:
        assert s.driver_operation.simulate is simulate
        assert s.driver_operation.cache is False
        assert s.driver_operation.driver_setup == "Model=Q7730A"


def test_repr_says_resource_kind_and_state():
    s = korvane.Session(RESOURCE, simulate=True)
    assert repr(s) == f"<korvane.Session {RESOURCE!r} simulated open>"
    assert repr(s.fans) == "<korvane.Fans ['FAN1', 'FAN2', 'FAN3']>"
    assert repr(s.fans["fan2"]) == "<korvane.Fan 'FAN2'>"
    s.close()
    assert repr(s) == f"<korvane.Session {RESOURCE!r} closed>"


@pytest.mark.parametrize("firmware, virtual", [
    ("2.1.7 (virtual chassis)", True),
    ("2.1.7", False),
    ("2.1.7 (virtual chassis) rev B", False),  # only the end of the revision says so
])
def test_a_virtual_chassis_says_so(session, monkeypatch, firmware, virtual):
    monkeypatch.setattr(korvane.Identity, "instrument_firmware_revision",
                        property(lambda identity: firmware))
    monkeypatch.setattr(korvane.DriverOperation, "simulate", property(lambda operation: False))
    assert session.virtual is virtual
    kind = "virtual chassis" if virtual else "chassis"
    assert repr(session) == f"<korvane.Session {RESOURCE!r} {kind} open>"


def test_rail_limits_read_lower_then_upper(session):
    for rail in session.voltage_rails:
        alarm = rail.alarm
        assert alarm.lower == min(alarm.min_voltage, alarm.max_voltage)
        assert alarm.lower < rail.expected_voltage < alarm.upper, rail.name


STORE = """\
[SoftwareModule Korvane]
Name Fan!!FAN1 = Front fan

[SoftwareModule Korvane / Configurable Initial Settings]
String Model = Q7730A

[Session BenchSession]
SoftwareModule = Korvane
Simulate = true

[Session BenchSession / Configurable Initial Settings]
String Model = Q7730A

[LogicalName Bench]
Session = BenchSession
"""

READ_RENAMED_FANS = """\
import korvane
with korvane.Session("Bench") as s:
    assert s.fans.names == ["Front fan", "FAN2", "FAN3"], s.fans.names
    assert [fan.name for fan in s.fans] == ["FAN1", "FAN2", "FAN3"]
    assert all(fan.rpm > 0 for fan in s.fans)
    assert s.fans["Front fan"].name == "FAN1" and s.fans["Front fan"].rpm > 0
"""


def test_items_renamed_by_a_store_are_still_reached(tmp_path):
    """A store's name with a blank is no selector: the package reaches items
    by their physical names. In a process of its own, with the configuration
    server registered in a registry of its own."""
    bin_dir = Path(os.environ["KORVANE_LIBRARY"]).resolve().parent
    env = {**os.environ, "HOME": str(tmp_path), "KORVANE_REGISTRY": str(tmp_path / "registry"),
           "KORVANE_IVI_CONFIG": str(tmp_path / "store.ini")}
    (tmp_path / "store.ini").write_text(STORE)
    subprocess.run([str(bin_dir / "korvane-regsvr"), "/s", str(bin_dir / "libIviConfigServer.so")],
                   env=env, check=True)
    result = subprocess.run([sys.executable, "-c", READ_RENAMED_FANS], env=env,
                            capture_output=True, text=True)
    assert result.returncode == 0, result.stderr


def test_every_public_class_and_member_has_a_docstring():
    missing = []
    for class_name in korvane.__all__:
        cls = getattr(korvane, class_name)
        if not (cls.__doc__ or "").strip():
            missing.append(class_name)
        for name, member in vars(cls).items():
            # Properties, attributes and methods; slots hold the session's parts.
            if not name.startswith("_") and callable(getattr(member, "__get__", None)) \
                    and not isinstance(member, types.MemberDescriptorType) \
                    and not isinstance(cls, type(korvane.RefClockSource)):
                if not (getattr(member, "__doc__", None) or "").strip():
                    missing.append(f"{class_name}.{name}")
    assert missing == []

"""The Python package over a simulated session of the build's driver module."""

import ctypes
import threading

import pytest

import korvane
from korvane import _attributes, _library, _reference
from conftest import RESOURCE, signed

INVALID_VALUE = signed(0xBFFA0010)
BAD_OPTION_VALUE = signed(0xBFFA004C)
UNKNOWN_PHYSICAL_NAME = signed(0xBFFA0067)
PYTHON_TYPES = {"ViInt32": int, "ViReal64": float, "ViBoolean": bool, "ViString": str}


def nodes(s: korvane.Session) -> list:
    """Every part of the session that carries attributes, one instance of each
    repeated capability included."""
    return [s, s.driver_operation, s.identity, s.system, s.temperature_sensors,
            s.temperature_sensors.alarm, s.temperature_sensors[0], s.fans, s.fans.alarm,
            s.fans.control, s.fans[0], s.voltage_rails, s.voltage_rails[0],
            s.voltage_rails[0].alarm, s.reference_clock, s.reference_clock.alarm]


def attributes(node: object) -> list:
    return [(name, value) for cls in type(node).__mro__ for name, value in vars(cls).items()
            if isinstance(value, _attributes.Attribute)]


def test_every_attribute_reads_as_its_kind(session):
    read = set()
    for node in nodes(session):
        for name, attribute in attributes(node):
            value = getattr(node, name)
            assert type(value) is PYTHON_TYPES[attribute.c_type_name], f"{type(node).__name__}.{name}"
            assert attribute.__doc__.startswith(_reference.ATTRIBUTES[attribute.attribute_id][0])
            read.add(attribute.attribute_id)
    assert len(read) == 47
    assert session.driver_operation.simulate is True
    assert session.identity.instrument_model == "Q7730A"


@pytest.mark.parametrize("part, name, value", [
    (lambda s: s.fans.alarm, "min_rpm", 1234),
    (lambda s: s.temperature_sensors.alarm, "max_temp", 91),
    (lambda s: s.temperature_sensors.alarm, "enabled", None),  # None: the opposite value
    (lambda s: s.voltage_rails["VPLUS_3_3"].alarm, "enabled", None),
])
def test_writable_attributes_read_back(session, part, name, value):
    node = part(session)
    if value is None:
        value = not getattr(node, name)
    setattr(node, name, value)
    assert getattr(node, name) == value


def test_read_only_attributes_refuse_writes(session):
    with pytest.raises(AttributeError):
        session.identity.instrument_model = "other"


def expected_volts(rail_name: str) -> float:
    # Rails are named by sign and volts: VPLUS_3_3 is +3.3 V, VMINUS_12_0 -12 V.
    sign, volts = rail_name[1:].split("_", 1)
    return (1 if sign == "PLUS" else -1) * float(volts.replace("_", "."))


def test_repeated_capabilities_reach_their_own_instance(session):
    for collection in (session.temperature_sensors, session.fans, session.voltage_rails):
        assert [item.name for item in collection] == collection.names
        assert len(collection.names) == len(collection) > 0
        assert collection[-1].name == collection.names[len(collection) - 1]
    for rail in session.voltage_rails:
        assert rail.expected_voltage == expected_volts(rail.name)
    before = {rail.name: rail.alarm.max_voltage for rail in session.voltage_rails}
    session.voltage_rails["VPLUS_5_0"].alarm.max_voltage = 5.375
    after = {rail.name: rail.alarm.max_voltage for rail in session.voltage_rails}
    assert after == {**before, "VPLUS_5_0": 5.375} != before
    assert isinstance(session.temperature_sensors["TS1"].temperature, float)


@pytest.mark.parametrize("action, status, text", [
    # An item reached past the collection's check: the driver's own error.
    (lambda s: korvane.TemperatureSensor(s._connection, "NOPE").temperature,
     UNKNOWN_PHYSICAL_NAME, ""),
    (lambda s: setattr(s.fans.alarm, "min_rpm", 10001), INVALID_VALUE, "10001"),
    (lambda s: korvane.Session(RESOURCE, options="Simulate=true, Cache=maybe"),
     BAD_OPTION_VALUE, "maybe"),
])
def test_errors_carry_status_and_driver_text(session, action, status, text):
    with pytest.raises(korvane.Error) as raised:
        action(session)
    assert raised.value.status == status
    assert raised.value.message and text in raised.value.message


@pytest.mark.parametrize("failing", [False, True])
def test_leaving_with_closes_the_session(failing):
    class Failure(Exception):
        pass

    try:
        with korvane.Session(RESOURCE, simulate=True) as s:
            handle = s._connection._vi
            if failing:
                raise Failure()
    except Failure:
        pass
    assert s.closed
    with pytest.raises(korvane.Error):
        s.driver_operation.simulate
    # The C session itself is gone: the driver refuses its handle.
    value = _library.ViBoolean()
    assert _library.library().Korvane_GetAttributeViBoolean(
        handle, b"", 1050005, ctypes.byref(value)) < 0


def test_two_threads_share_a_session(session):
    """Both threads start every round together; each sees its own values and
    its own errors."""
    rounds = 200
    barrier = threading.Barrier(2)
    faults = []

    def rails() -> None:
        for _ in range(rounds):
            barrier.wait()
            rail = session.voltage_rails["VMINUS_12_0"]
            assert rail.expected_voltage == -12.0
            with pytest.raises(korvane.Error) as raised:
                korvane.VoltageRail(session._connection, "NOPE").voltage
            assert raised.value.status == UNKNOWN_PHYSICAL_NAME

    def fans() -> None:
        for _ in range(rounds):
            barrier.wait()
            with pytest.raises(korvane.Error) as raised:
                session.fans.alarm.min_rpm = 10001
            assert raised.value.status == INVALID_VALUE and "10001" in raised.value.message
            assert isinstance(session.fans["FAN1"].rpm, int)

    def run(work) -> None:
        try:
            work()
        except BaseException as fault:  # noqa: B036 - reported by the main thread
            faults.append(fault)
            barrier.abort()

    threads = [threading.Thread(target=run, args=(work,)) for work in (rails, fans)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert faults == []


class _GatedLock:
    """The session's lock, reporting a thread that has to wait for it."""

    def __init__(self, waiting: threading.Event) -> None:
        self._lock = threading.RLock()
        self._waiting = waiting

    def __enter__(self) -> None:
        if not self._lock.acquire(blocking=False):
            self._waiting.set()
            self._lock.acquire()

    def __exit__(self, *exc_info: object) -> None:
        self._lock.release()


class _GatedModule:
    """Stands in for the driver module: the writer's failing call holds until
    the reader has failed too or waits for the session; the reader reads its
    error only after the writer read its own."""

    def __init__(self, module, reader_went_on: threading.Event) -> None:
        self._module = module
        self.writer_inside = threading.Event()
        self.writer_read_error = threading.Event()
        self._reader_went_on = reader_went_on
        self.writer = None

    def __getattr__(self, name):
        return getattr(self._module, name)

    def Korvane_SetAttributeViInt32(self, *args):
        status = self._module.Korvane_SetAttributeViInt32(*args)
        self.writer_inside.set()
        self._reader_went_on.wait()
        return status

    def Korvane_GetAttributeViReal64(self, *args):
        status = self._module.Korvane_GetAttributeViReal64(*args)
        self._reader_went_on.set()
        return status

    def Korvane_GetError(self, vi, code, size, buffer):
        if threading.current_thread() is not self.writer:
            self.writer_read_error.wait()
        status = self._module.Korvane_GetError(vi, code, size, buffer)
        if threading.current_thread() is self.writer and size > 0:
            self.writer_read_error.set()
        return status


def test_a_thread_reads_the_error_of_its_own_call(session):
    """The writer fails first; the reader's failing call comes while the
    writer has not read its error yet. Each must still get its own error."""
    reader_went_on = threading.Event()
    module = _GatedModule(session._connection.lib, reader_went_on)
    session._connection.lib = module
    session._connection._lock = _GatedLock(reader_went_on)
    errors = {}

    def fail(name, action):
        with pytest.raises(korvane.Error) as raised:
            action()
        errors[name] = raised.value

    module.writer = threading.Thread(
        target=fail, args=("writer", lambda: setattr(session.fans.alarm, "min_rpm", 10001)))
    module.writer.start()
    module.writer_inside.wait()
    fail("reader", lambda: korvane.VoltageRail(session._connection, "NOPE").voltage)
    module.writer.join()
    writer, reader = errors["writer"], errors["reader"]
    assert (writer.status, reader.status) == (INVALID_VALUE, UNKNOWN_PHYSICAL_NAME)
    assert "10001" in writer.message and reader.message and "10001" not in reader.message

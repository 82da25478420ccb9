"""The session and its parts, named as the driver's IVI-COM tree names them."""

from __future__ import annotations

import ctypes
import enum
import warnings
import weakref
from typing import Callable, Generic, Iterable, Iterator, Optional, Sequence, TypeVar, Union, \
    overload

from . import _library
from ._attributes import Attribute, Node, check_int32
from ._connection import MESSAGE_BUFFER_SIZE, Connection, decode, encode, stored_error, warn
from ._reference import PHYSICAL_NAMES
from .errors import Error

#: The end of the firmware revision of a virtual chassis (the chassis stand-in).
VIRTUAL_CHASSIS_SUFFIX = " (virtual chassis)"
TRIGGER_LINES = range(8)


class RefClockSource(enum.IntEnum):
    """Sources of the 10 MHz system clock (KorvaneRefClockSourceEnum)."""
    INTERNAL = 0
    EXTERNAL = 1
    TIMING_MODULE = 2


class TriggerBusConfiguration(enum.IntEnum):
    """How the three trigger bus segments of one PXI trigger line are connected
    (KorvaneTrigBusEnum): Bus1 is slots 1-6, Bus2 slots 7-12, Bus3 slots 13-18."""
    ISOLATE_ALL = 0
    BUS1_TO_2 = 1
    BUS1_TO_2_TO_3 = 2
    BUS2_TO_1 = 3
    BUS2_TO_3 = 4
    BUS2_TO_1_AND_3 = 5
    BUS3_TO_2 = 6
    BUS3_TO_2_TO_1 = 7


class DriverOperation(Node):
    """The session's operation settings (IIviDriverOperation)."""

    __slots__ = ()
    range_check = Attribute(1050002)
    query_instrument_status = Attribute(1050003)
    cache = Attribute(1050004)
    simulate = Attribute(1050005)
    record_coercions = Attribute(1050006)
    driver_setup = Attribute(1050007)
    interchange_check = Attribute(1050021)
    io_resource_descriptor = Attribute(1050304)
    logical_name = Attribute(1050305)

    def invalidate_all_attributes(self) -> None:
        """Empties the driver's attribute cache."""
        self._call("InvalidateAllAttributes")


class Identity(Node):
    """The identity of the driver and of the chassis (IIviDriverIdentity)."""

    __slots__ = ()
    specific_driver_prefix = Attribute(1050302)
    supported_instrument_models = Attribute(1050327)
    group_capabilities = Attribute(1050401)
    instrument_firmware_revision = Attribute(1050510)
    instrument_manufacturer = Attribute(1050511)
    instrument_model = Attribute(1050512)
    vendor = Attribute(1050513)
    description = Attribute(1050514)
    specification_major_version = Attribute(1050515)
    specification_minor_version = Attribute(1050516)
    revision = Attribute(1050551)


def _code_and_message(node: Node, function: str, code: ctypes._SimpleCData) -> tuple[int, str]:
    message = ctypes.create_string_buffer(MESSAGE_BUFFER_SIZE)
    node._call(function, ctypes.byref(code), message)
    return int(code.value), decode(message.value)


class Utility(Node):
    """Reset, self test and queries (IIviDriverUtility)."""

    __slots__ = ()

    def reset(self) -> None:
        """Resets the chassis to its reset state."""
        self._call("reset")

    def reset_with_defaults(self) -> None:
        """Resets the chassis and applies the configured defaults."""
        self._call("ResetWithDefaults")

    def disable(self) -> None:
        """Puts the chassis in a quiescent state."""
        self._call("Disable")

    def self_test(self) -> tuple[int, str]:
        """The self test's result code (0 passed) and message."""
        return _code_and_message(self, "self_test", _library.ViInt16())

    def error_query(self) -> tuple[int, str]:
        """The chassis's own next error: its code and message."""
        return _code_and_message(self, "error_query", _library.ViInt32())

    def revision_query(self) -> tuple[str, str]:
        """The driver's and the instrument firmware's revisions."""
        driver = ctypes.create_string_buffer(MESSAGE_BUFFER_SIZE)
        firmware = ctypes.create_string_buffer(MESSAGE_BUFFER_SIZE)
        self._call("revision_query", driver, firmware)
        return decode(driver.value), decode(firmware.value)


class System(Node):
    """Serial number, trace switch, up-time and self-test errors (IKorvaneSystem)."""

    __slots__ = ()
    serial_number = Attribute(1150001)
    trace_enabled = Attribute(1150002)
    uptime = Attribute(1150029)
    self_test_error_count = Attribute(1150034)

    def self_test_error_query(self) -> tuple[int, str]:
        """The next code and message of the last self test's error list."""
        code = _library.ViInt32()
        message = self._connection.read_string(lambda size, buffer: self._call(
            "SelfTestErrorQuery", ctypes.byref(code), size, buffer))
        return int(code.value), message


Item = TypeVar("Item", bound=Node)

# Statuses by which the driver says a selector names no item.
_UNKNOWN_SELECTOR = {-0x4005FF99, -0x4005FF9B, -0x4005FF9A}  # 0xBFFA0067, ...65, ...66


class _Collection(Node, Sequence[Item], Generic[Item]):
    """A repeated capability: indexed by position (0-based) or by name. Items
    are addressed by their physical names (TS1, FAN1, VPLUS_3_3...), which
    always work as selectors, whatever names a configuration store shows."""

    __slots__ = ("_make_item",)
    _count: Attribute
    _name_function = ""
    _kind = ""  # the repeated capability's name
    _probe = ""  # a per-item attribute read to check a name the package does not know

    def __init__(self, connection: Connection, make_item: Callable[[Connection, str], Item]):
        super().__init__(connection)
        self._make_item = make_item

    def __len__(self) -> int:
        return self._count

    @property
    def names(self) -> list:
        """The items' names as the driver shows them (a store may rename them)."""
        return [self._name(index) for index in range(len(self))]

    @property
    def physical_names(self) -> list:
        """The items' physical names: the selectors that always work."""
        return PHYSICAL_NAMES[self._kind][:len(self)]

    @overload
    def __getitem__(self, key: Union[int, str]) -> Item: ...

    @overload
    def __getitem__(self, key: slice) -> Sequence[Item]: ...

    def __getitem__(self, key: Union[int, str, slice]) -> Union[Item, Sequence[Item]]:
        if isinstance(key, slice):
            return [self[index] for index in range(len(self))[key]]
        if isinstance(key, bool) or not isinstance(key, (int, str)):
            raise TypeError(f"{type(self).__name__} are indexed by position or name, "
                            f"not {key!r}")
        physical = self.physical_names
        if isinstance(key, int):
            if not -len(physical) <= key < len(physical):
                raise IndexError(f"index {key} out of range for {len(physical)} items "
                                 f"(0..{len(physical) - 1})")
            return self._make_item(self._connection, physical[key])
        encode(key)  # refuses a NUL
        folded = [name.casefold() for name in physical]
        if key.casefold() in folded:
            return self._make_item(self._connection, physical[folded.index(key.casefold())])
        shown = self.names
        if key in shown:
            return self._make_item(self._connection, physical[shown.index(key)])
        # Another name the driver may know (a virtual name of the store).
        item = self._make_item(self._connection, key)
        try:
            getattr(item, self._probe)
        except Error as error:
            if error.status in _UNKNOWN_SELECTOR:
                raise KeyError(f"{key!r} names no item of {type(self).__name__}; valid: "
                               f"{', '.join(physical + [n for n in shown if n not in physical])}"
                               ) from None
        return item

    def __iter__(self) -> Iterator[Item]:
        return (self._make_item(self._connection, name) for name in self.physical_names)

    def __repr__(self) -> str:
        return f"<korvane.{type(self).__name__} {self.physical_names}>"

    def _name(self, index: int) -> str:
        # The driver numbers the items from 1.
        return self._connection.read_string(
            lambda size, buffer: self._call(self._name_function, index + 1, size, buffer))


class _Instance(Node):
    __slots__ = ()

    @property
    def name(self) -> str:
        """The selector this instance is addressed by (its physical name, or the
        name it was looked up by)."""
        return self._selector


class TemperatureSensorsAlarm(Node):
    """The over-temperature alarm of the chassis."""

    __slots__ = ()
    occurred = Attribute(1150008)
    enabled = Attribute(1150009)
    max_temp = Attribute(1150010)

    def clear(self) -> None:
        """Clears the over-temperature alarm."""
        self._call("TemperatureAlarmClear")


class TemperatureSensor(_Instance):
    """One temperature sensor."""

    __slots__ = ()
    temperature = Attribute(1150012)


class TemperatureSensors(_Collection[TemperatureSensor]):
    """The temperature sensors, and their common over-temperature alarm."""

    __slots__ = ("alarm",)
    _count = Attribute(1150003)
    _name_function = "GetTemperatureSensorName"
    _kind = "TemperatureSensor"
    _probe = "temperature"

    def __init__(self, connection: Connection) -> None:
        super().__init__(connection, TemperatureSensor)
        self.alarm = TemperatureSensorsAlarm(connection)


class FansAlarm(Node):
    """The fan underspeed alarm of the chassis."""

    __slots__ = ()
    occurred = Attribute(1150005)
    enabled = Attribute(1150006)
    min_rpm = Attribute(1150007)

    def clear(self) -> None:
        """Clears the fan underspeed alarm."""
        self._call("FanAlarmClear")


class FansControl(Node):
    """The automatic fan control of the chassis."""

    __slots__ = ()
    max_rpm_temp = Attribute(1150014)
    auto = Attribute(1150033)


class Fan(_Instance):
    """One fan."""

    __slots__ = ()
    rpm = Attribute(1150013)


class Fans(_Collection[Fan]):
    """The fans, their underspeed alarm and the fan control."""

    __slots__ = ("alarm", "control")
    _count = Attribute(1150004)
    _name_function = "GetFanName"
    _kind = "Fan"
    _probe = "rpm"

    def __init__(self, connection: Connection) -> None:
        super().__init__(connection, Fan)
        self.alarm = FansAlarm(connection)
        self.control = FansControl(connection)


class VoltageRailAlarm(Node):
    """The alarm of one power-supply rail. Its limits, as the driver names them
    (max_voltage, min_voltage), are also given as lower and upper: lower is
    always the smaller number, also for a negative rail."""

    __slots__ = ()
    occurred = Attribute(1150024)
    enabled = Attribute(1150025)
    max_voltage = Attribute(1150026)
    min_voltage = Attribute(1150027)

    @property
    def lower(self) -> float:
        """The lower limit of the rail's range (volts): the smaller of the two."""
        return min(self.min_voltage, self.max_voltage)

    @property
    def upper(self) -> float:
        """The upper limit of the rail's range (volts): the larger of the two."""
        return max(self.min_voltage, self.max_voltage)

    def clear(self) -> None:
        """Clears the alarm of this rail."""
        self._call("VoltageAlarmClear", encode(self._selector))


class VoltageRail(_Instance):
    """One power-supply rail and its alarm."""

    __slots__ = ("alarm",)
    voltage = Attribute(1150028)
    expected_voltage = Attribute(1150030)

    def __init__(self, connection: Connection, selector: str) -> None:
        super().__init__(connection, selector)
        self.alarm = VoltageRailAlarm(connection, selector)


class VoltageRails(_Collection[VoltageRail]):
    """The power-supply rails."""

    __slots__ = ()
    _count = Attribute(1150023)
    _name_function = "GetVoltageRailName"
    _kind = "VoltageRail"
    _probe = "voltage"

    def __init__(self, connection: Connection) -> None:
        super().__init__(connection, VoltageRail)

    def clear_alarms(self, names: Optional[Iterable[str]] = None) -> None:
        """Clears the alarms of the named rails (all rails by default), in order."""
        selector = ",".join(self.physical_names if names is None else names)
        self._call("VoltageAlarmClear", encode(selector))


class ReferenceClockAlarm(Node):
    """The alarm raised when the reference clock source changes."""

    __slots__ = ()
    occurred = Attribute(1150031)
    enabled = Attribute(1150032)

    def clear(self) -> None:
        """Clears the reference clock alarm."""
        self._call("RefClkAlarmClear")


class ReferenceClock(Node):
    """The source of the 10 MHz system clock and its alarm."""

    __slots__ = ("alarm",)
    _source = Attribute(1150020)

    def __init__(self, connection: Connection) -> None:
        super().__init__(connection)
        self.alarm = ReferenceClockAlarm(connection)

    @property
    def source(self) -> RefClockSource:
        """The current source of the 10 MHz system clock (read-only)."""
        return RefClockSource(self._source)


class TriggerBus(Node):
    """Routing of the eight PXI trigger lines (0..7) between the three bus
    segments."""

    __slots__ = ()

    def connect(self, trigger_line: int, configuration: TriggerBusConfiguration) -> None:
        """Routes trigger line 0..7 as configuration."""
        self._call("TriggerBusConnect", _line(trigger_line),
                   int(TriggerBusConfiguration(_configuration(configuration))))

    def disconnect_all(self) -> None:
        """Isolates every trigger line."""
        self._call("TriggerBusDisconnect")

    def connect_default(self) -> None:
        """Restores the chassis's default routing of every line."""
        self._call("TriggerBusConnectDefault")

    def connection(self, trigger_line: int) -> TriggerBusConfiguration:
        """The routing of trigger line 0..7."""
        value = _library.ViInt32()
        self._call("TriggerBusConnection", _line(trigger_line), ctypes.byref(value))
        return TriggerBusConfiguration(value.value)


def _line(trigger_line: int) -> int:
    line = check_int32("trigger_line", trigger_line, (0, 7))
    if line not in TRIGGER_LINES:
        raise ValueError(f"trigger line {line} does not exist; valid: 0..7")
    return line


def _configuration(configuration: object) -> int:
    if isinstance(configuration, bool) or not isinstance(configuration, int) or \
            configuration not in set(TriggerBusConfiguration):
        raise ValueError(f"{configuration!r} is no trigger bus configuration; valid: "
                         + ", ".join(c.name for c in TriggerBusConfiguration))
    return configuration


def _option_string(options: str, simulate: Optional[bool]) -> str:
    if simulate is None:
        return options
    # The DriverSetup tail of the option string must stay last.
    return ", ".join(filter(None, [f"Simulate={'true' if simulate else 'false'}", options]))


def _close_dropped(connection: Connection, resource_name: str) -> None:
    """Closes the C session of a Session dropped without close(), warning as
    the standard library does for an unclosed resource."""
    if connection.closed:
        return
    warnings.warn(f"unclosed korvane.Session {resource_name!r}", ResourceWarning, stacklevel=2)
    try:
        connection.close()
    except Error:
        pass


class Session(Node):
    """A session to one chassis; closes when a `with` block it opened ends.

        with korvane.Session("PXI0::0::INSTR", simulate=True) as s:
            print(s.temperature_sensors["TS1"].temperature)

    resource_name is a resource descriptor or logical name; options is the
    driver's option string ("Cache=false, DriverSetup=Model=Q7730A"), to which
    simulate=True or False adds Simulate. A session dropped without close()
    is closed when it is collected, with a ResourceWarning.
    """

    __slots__ = ("resource_name", "driver_operation", "identity", "utility", "system",
                 "temperature_sensors", "fans", "voltage_rails", "reference_clock",
                 "trigger_bus", "_finalizer", "__weakref__")
    pcie_link = Attribute(1150022)

    def __init__(self, resource_name: str, id_query: bool = False, reset: bool = False,
                 options: str = "", *, simulate: Optional[bool] = None) -> None:
        for name, value in (("id_query", id_query), ("reset", reset)):
            if not isinstance(value, bool):
                raise TypeError(f"{name} takes True or False, not {value!r}")
        if simulate is not None and not isinstance(simulate, bool):
            raise TypeError(f"simulate takes True, False or None, not {simulate!r}")
        resource = encode(resource_name)
        option_string = encode(_option_string(options, simulate))
        lib = _library.library()
        vi = _library.ViSession(0)
        status = lib.Korvane_InitWithOptions(resource, 1 if id_query else 0, 1 if reset else 0,
                                             option_string, ctypes.byref(vi))
        if status < 0:
            # A session the driver could not set up is closed at once; its
            # error is on the session if there is one, else on the thread.
            if vi.value:
                error = stored_error(lib, vi.value, status)
                lib.Korvane_close(vi.value)
                raise error
            raise stored_error(lib, 0, status)
        if status > 0:
            warn(lib, vi.value, status)
        super().__init__(Connection(lib, vi.value))
        connection = self._connection
        self.resource_name = resource_name
        self._finalizer = weakref.finalize(self, _close_dropped, connection, resource_name)
        self.driver_operation = DriverOperation(connection)
        self.identity = Identity(connection)
        self.utility = Utility(connection)
        self.system = System(connection)
        self.temperature_sensors = TemperatureSensors(connection)
        self.fans = Fans(connection)
        self.voltage_rails = VoltageRails(connection)
        self.reference_clock = ReferenceClock(connection)
        self.trigger_bus = TriggerBus(connection)

    @property
    def closed(self) -> bool:
        """Whether the session is closed."""
        return self._connection.closed

    @property
    def virtual(self) -> bool:
        """Whether the chassis answering is the virtual chassis of the chassis
        stand-in (its firmware revision ends with " (virtual chassis)"), not
        hardware. A simulated session reaches no chassis at all."""
        return self.identity.instrument_firmware_revision.endswith(VIRTUAL_CHASSIS_SUFFIX)

    def close(self) -> None:
        """Closes the session; closing again does nothing."""
        self._finalizer.detach()
        self._connection.close()

    def __enter__(self) -> "Session":
        return self

    def __exit__(self, *exc_info: object) -> None:
        self.close()

    def __repr__(self) -> str:
        if self.closed:
            return f"<korvane.Session {self.resource_name!r} closed>"
        try:
            kind = ("simulated" if self.driver_operation.simulate
                    else "virtual chassis" if self.virtual else "chassis")
        except Error:
            kind = "chassis unreadable"
        return f"<korvane.Session {self.resource_name!r} {kind} open>"

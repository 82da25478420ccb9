"""The session and its parts, named as the driver's IVI-COM tree names them."""

from __future__ import annotations

import ctypes
import enum
from typing import Callable, Generic, Iterable, Iterator, Optional, Sequence, TypeVar, Union, \
    overload

from . import _library
from ._attributes import Boolean, Int32, Node, Real64, String
from ._connection import MESSAGE_BUFFER_SIZE, Connection, decode, encode, stored_error, warn


class RefClockSource(enum.IntEnum):
    INTERNAL = 0
    EXTERNAL = 1
    TIMING_MODULE = 2


class TriggerBusConfiguration(enum.IntEnum):
    ISOLATE_ALL = 0
    BUS1_TO_2 = 1
    BUS1_TO_2_TO_3 = 2
    BUS2_TO_1 = 3
    BUS2_TO_3 = 4
    BUS2_TO_1_AND_3 = 5
    BUS3_TO_2 = 6
    BUS3_TO_2_TO_1 = 7


class DriverOperation(Node):
    range_check = Boolean(1050002, writable=True)
    query_instrument_status = Boolean(1050003, writable=True)
    cache = Boolean(1050004, writable=True)
    simulate = Boolean(1050005, writable=True)
    record_coercions = Boolean(1050006, writable=True)
    driver_setup = String(1050007)
    interchange_check = Boolean(1050021, writable=True)
    io_resource_descriptor = String(1050304)
    logical_name = String(1050305)

    def invalidate_all_attributes(self) -> None:
        self._call("InvalidateAllAttributes")


class Identity(Node):
    specific_driver_prefix = String(1050302)
    supported_instrument_models = String(1050327)
    group_capabilities = String(1050401)
    instrument_firmware_revision = String(1050510)
    instrument_manufacturer = String(1050511)
    instrument_model = String(1050512)
    vendor = String(1050513)
    description = String(1050514)
    specification_major_version = Int32(1050515)
    specification_minor_version = Int32(1050516)
    revision = String(1050551)


def _code_and_message(node: Node, function: str, code: ctypes._SimpleCData) -> tuple[int, str]:
    message = ctypes.create_string_buffer(MESSAGE_BUFFER_SIZE)
    node._call(function, ctypes.byref(code), message)
    return int(code.value), decode(message.value)


class Utility(Node):
    def reset(self) -> None:
        self._call("reset")

    def reset_with_defaults(self) -> None:
        self._call("ResetWithDefaults")

    def disable(self) -> None:
        self._call("Disable")

    def self_test(self) -> tuple[int, str]:
        """The self test's result code (0 passed) and message."""
        return _code_and_message(self, "self_test", _library.ViInt16())

    def error_query(self) -> tuple[int, str]:
        return _code_and_message(self, "error_query", _library.ViInt32())

    def revision_query(self) -> tuple[str, str]:
        """The driver's and the instrument firmware's revisions."""
        driver = ctypes.create_string_buffer(MESSAGE_BUFFER_SIZE)
        firmware = ctypes.create_string_buffer(MESSAGE_BUFFER_SIZE)
        self._call("revision_query", driver, firmware)
        return decode(driver.value), decode(firmware.value)


class System(Node):
    serial_number = String(1150001)
    trace_enabled = Boolean(1150002, writable=True)
    uptime = Real64(1150029)
    self_test_error_count = Int32(1150034)

    def self_test_error_query(self) -> tuple[int, str]:
        """The next code and message of the last self test's error list."""
        code = _library.ViInt32()
        message = self._connection.read_string(lambda size, buffer: self._call(
            "SelfTestErrorQuery", ctypes.byref(code), size, buffer))
        return int(code.value), message


Item = TypeVar("Item", bound=Node)


class _Collection(Node, Sequence[Item], Generic[Item]):
    """A repeated capability: indexed by position (0-based) or by name."""

    _count: Int32
    _name_function = ""

    def __init__(self, connection: Connection, make_item: Callable[[Connection, str], Item]):
        super().__init__(connection)
        self._make_item = make_item

    def __len__(self) -> int:
        return self._count

    @property
    def names(self) -> list[str]:
        return [self._name(index) for index in range(len(self))]

    @overload
    def __getitem__(self, key: Union[int, str]) -> Item: ...

    @overload
    def __getitem__(self, key: slice) -> Sequence[Item]: ...

    def __getitem__(self, key: Union[int, str, slice]) -> Union[Item, Sequence[Item]]:
        if isinstance(key, slice):
            return [self[index] for index in range(len(self))[key]]
        if isinstance(key, int):
            count = len(self)
            if not -count <= key < count:
                raise IndexError(f"index {key} out of range for {count} items")
            key = self._name(key % count)
        return self._make_item(self._connection, key)

    def __iter__(self) -> Iterator[Item]:
        return (self._make_item(self._connection, name) for name in self.names)

    def _name(self, index: int) -> str:
        # The driver numbers the items from 1.
        return self._connection.read_string(
            lambda size, buffer: self._call(self._name_function, index + 1, size, buffer))


class _Instance(Node):
    @property
    def name(self) -> str:
        """The selector this instance was reached by."""
        return self._selector


class TemperatureSensorsAlarm(Node):
    occurred = Boolean(1150008)
    enabled = Boolean(1150009, writable=True)
    max_temp = Int32(1150010, writable=True)

    def clear(self) -> None:
        self._call("TemperatureAlarmClear")


class TemperatureSensor(_Instance):
    temperature = Real64(1150012)


class TemperatureSensors(_Collection[TemperatureSensor]):
    _count = Int32(1150003)
    _name_function = "GetTemperatureSensorName"

    def __init__(self, connection: Connection) -> None:
        super().__init__(connection, TemperatureSensor)
        self.alarm = TemperatureSensorsAlarm(connection)


class FansAlarm(Node):
    occurred = Boolean(1150005)
    enabled = Boolean(1150006, writable=True)
    min_rpm = Int32(1150007, writable=True)

    def clear(self) -> None:
        self._call("FanAlarmClear")


class FansControl(Node):
    max_rpm_temp = Int32(1150014, writable=True)
    auto = Boolean(1150033)


class Fan(_Instance):
    rpm = Int32(1150013)


class Fans(_Collection[Fan]):
    _count = Int32(1150004)
    _name_function = "GetFanName"

    def __init__(self, connection: Connection) -> None:
        super().__init__(connection, Fan)
        self.alarm = FansAlarm(connection)
        self.control = FansControl(connection)


class VoltageRailAlarm(Node):
    occurred = Boolean(1150024)
    enabled = Boolean(1150025, writable=True)
    max_voltage = Real64(1150026, writable=True)
    min_voltage = Real64(1150027, writable=True)

    def clear(self) -> None:
        self._call("VoltageAlarmClear", encode(self._selector))


class VoltageRail(_Instance):
    voltage = Real64(1150028)
    expected_voltage = Real64(1150030)

    def __init__(self, connection: Connection, selector: str) -> None:
        super().__init__(connection, selector)
        self.alarm = VoltageRailAlarm(connection, selector)


class VoltageRails(_Collection[VoltageRail]):
    _count = Int32(1150023)
    _name_function = "GetVoltageRailName"

    def __init__(self, connection: Connection) -> None:
        super().__init__(connection, VoltageRail)

    def clear_alarms(self, names: Optional[Iterable[str]] = None) -> None:
        """Clears the alarms of the named rails (all rails by default), in order."""
        selector = ",".join(self.names if names is None else names)
        self._call("VoltageAlarmClear", encode(selector))


class ReferenceClockAlarm(Node):
    occurred = Boolean(1150031)
    enabled = Boolean(1150032, writable=True)

    def clear(self) -> None:
        self._call("RefClkAlarmClear")


class ReferenceClock(Node):
    _source = Int32(1150020)

    def __init__(self, connection: Connection) -> None:
        super().__init__(connection)
        self.alarm = ReferenceClockAlarm(connection)

    @property
    def source(self) -> RefClockSource:
        return RefClockSource(self._source)


class TriggerBus(Node):
    def connect(self, trigger_line: int, configuration: TriggerBusConfiguration) -> None:
        self._call("TriggerBusConnect", trigger_line, int(configuration))

    def disconnect_all(self) -> None:
        self._call("TriggerBusDisconnect")

    def connect_default(self) -> None:
        self._call("TriggerBusConnectDefault")

    def connection(self, trigger_line: int) -> TriggerBusConfiguration:
        value = _library.ViInt32()
        self._call("TriggerBusConnection", trigger_line, ctypes.byref(value))
        return TriggerBusConfiguration(value.value)


def _option_string(options: str, simulate: Optional[bool]) -> str:
    if simulate is None:
        return options
    # The DriverSetup tail of the option string must stay last.
    return ", ".join(filter(None, [f"Simulate={'true' if simulate else 'false'}", options]))


class Session(Node):
    """A session to one chassis; closes when a `with` block it opened ends.

        with korvane.Session("PXI0::0::INSTR", simulate=True) as s:
            print(s.temperature_sensors["TS1"].temperature)
    """

    pcie_link = String(1150022)

    def __init__(self, resource_name: str, id_query: bool = False, reset: bool = False,
                 options: str = "", *, simulate: Optional[bool] = None) -> None:
        lib = _library.library()
        vi = _library.ViSession(0)
        status = lib.Korvane_InitWithOptions(encode(resource_name), 1 if id_query else 0,
                                             1 if reset else 0,
                                             encode(_option_string(options, simulate)),
                                             ctypes.byref(vi))
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
        return self._connection.closed

    def close(self) -> None:
        """Closes the session; closing again does nothing."""
        self._connection.close()

    def __enter__(self) -> "Session":
        return self

    def __exit__(self, *exc_info: object) -> None:
        self.close()

"""Attributes as Python properties: one descriptor per IVI-C attribute, whose
type, access, range and docstring come from the driver's reference
(_reference.py, generated from the C face's tables)."""

from __future__ import annotations

import ctypes
import math
from typing import Any, Optional

from . import _library
from ._connection import INVALID_VALUE, Connection, encode
from ._reference import ATTRIBUTES
from .errors import Error

INT32_RANGE = (-(1 << 31), (1 << 31) - 1)


class Node:
    """A part of a session; repeated-capability instances carry a selector.
    Only the names the class declares can be set: a misspelt attribute raises
    AttributeError instead of creating a new one."""

    __slots__ = ("_connection", "_selector")

    def __init__(self, connection: Connection, selector: str = "") -> None:
        self._connection = connection
        self._selector = selector

    def _call(self, name: str, *args: Any) -> int:
        return self._connection.call(name, *args)

    def __setattr__(self, name: str, value: Any) -> None:
        if not hasattr(type(self), name):
            public = sorted(n for n in dir(type(self)) if not n.startswith("_"))
            raise AttributeError(f"{type(self).__name__} has no attribute {name!r}; "
                                 f"its attributes are: {', '.join(public)}")
        object.__setattr__(self, name, value)

    def __repr__(self) -> str:
        where = f" {self._selector!r}" if self._selector else ""
        return f"<korvane.{type(self).__name__}{where}>"


def check_int32(name: str, value: Any, value_range: Optional[tuple] = None) -> int:
    """value as a ViInt32: an int (not a bool) within the C type's range."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{name} takes an int, not {value!r}")
    low, high = INT32_RANGE
    if not low <= value <= high:
        valid = "{}..{}".format(*(value_range or INT32_RANGE))
        raise OverflowError(f"{name} = {value} is out of range; valid: {valid}")
    return value


class Attribute:
    """A property reaching one attribute of the C face."""

    def __init__(self, attribute_id: int) -> None:
        c_name, self.c_type_name, self.writable, self.range, self.__doc__ = ATTRIBUTES[attribute_id]
        self.attribute_id = attribute_id
        self.name = c_name

    def __set_name__(self, owner: type, name: str) -> None:
        self.name = f"{owner.__name__}.{name}"

    def __get__(self, node: Optional[Node], owner: Optional[type] = None) -> Any:
        if node is None:
            return self
        selector = encode(node._selector)
        if self.c_type_name == "ViString":
            return node._connection.read_string(lambda size, buffer: node._call(
                "GetAttributeViString", selector, self.attribute_id, size, buffer))
        value = getattr(_library, self.c_type_name)()
        node._call("GetAttribute" + self.c_type_name, selector, self.attribute_id,
                   ctypes.byref(value))
        return bool(value.value) if self.c_type_name == "ViBoolean" else value.value

    def __set__(self, node: Node, value: Any) -> None:
        if not self.writable:
            raise AttributeError(f"{self.name} is read-only")
        try:
            node._call("SetAttribute" + self.c_type_name, encode(node._selector),
                       self.attribute_id, self._to_c(value))
        except Error as error:
            if error.status == INVALID_VALUE and self.range:
                raise Error(error.status, "{} (valid: {}..{})".format(
                    error.message, *self.range)) from None
            raise

    def _to_c(self, value: Any) -> Any:
        if self.c_type_name == "ViInt32":
            return check_int32(self.name, value, self.range)
        if self.c_type_name == "ViBoolean":
            # Only real booleans: 'false' or 2 would silently mean True.
            if not isinstance(value, bool):
                raise TypeError(f"{self.name} takes True or False, not {value!r}")
            return 1 if value else 0
        if isinstance(value, bool) or not isinstance(value, (int, float)):
            raise TypeError(f"{self.name} takes a number, not {value!r}")
        if not math.isfinite(value):
            raise ValueError(f"{self.name} = {value} is not a finite number")
        return float(value)

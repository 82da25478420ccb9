"""Attributes as Python properties: one descriptor per IVI-C attribute."""

from __future__ import annotations

import ctypes
from typing import Any, Generic, Optional, TypeVar

from . import _library
from ._connection import Connection, encode

T = TypeVar("T")


class Node:
    """A part of a session; repeated-capability instances carry a selector."""

    def __init__(self, connection: Connection, selector: str = "") -> None:
        self._connection = connection
        self._selector = selector

    def _call(self, name: str, *args: Any) -> int:
        return self._connection.call(name, *args)


class _Attribute(Generic[T]):
    c_type: Any = None
    type_name = ""

    def __init__(self, attribute_id: int, writable: bool = False) -> None:
        self.attribute_id = attribute_id
        self.writable = writable
        self.name = ""

    def __set_name__(self, owner: type, name: str) -> None:
        self.name = name

    def __get__(self, node: Optional[Node], owner: Optional[type] = None) -> T:
        if node is None:
            return self  # type: ignore[return-value]
        value = self.c_type()
        node._call("GetAttribute" + self.type_name, encode(node._selector), self.attribute_id,
                   ctypes.byref(value))
        return self.to_python(value.value)

    def __set__(self, node: Node, value: T) -> None:
        if not self.writable:
            raise AttributeError(f"{self.name} is read-only")
        node._call("SetAttribute" + self.type_name, encode(node._selector), self.attribute_id,
                   self.to_c(value))

    def to_python(self, value: Any) -> T:
        return value  # type: ignore[no-any-return]

    def to_c(self, value: T) -> Any:
        return value


class Int32(_Attribute[int]):
    c_type = _library.ViInt32
    type_name = "ViInt32"


class Real64(_Attribute[float]):
    c_type = _library.ViReal64
    type_name = "ViReal64"


class Boolean(_Attribute[bool]):
    c_type = _library.ViBoolean
    type_name = "ViBoolean"

    def to_python(self, value: Any) -> bool:
        return bool(value)

    def to_c(self, value: bool) -> int:
        return 1 if value else 0


class String(_Attribute[str]):
    """Read-only: the C face has no writable string attribute."""

    def __get__(self, node: Optional[Node], owner: Optional[type] = None) -> str:
        if node is None:
            return self  # type: ignore[return-value]
        selector = encode(node._selector)
        return node._connection.read_string(lambda size, buffer: node._call(
            "GetAttributeViString", selector, self.attribute_id, size, buffer))

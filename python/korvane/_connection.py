"""One open C session: its handle, its lock and the checking of statuses."""

from __future__ import annotations

import ctypes
import sys
import threading
import warnings
from typing import Any, Callable, Optional

from . import _library
from .errors import Error

ENCODING = "mbcs" if sys.platform == "win32" else "utf-8"
MESSAGE_BUFFER_SIZE = 256
NOT_INITIALIZED = -0x4005FFE3  # 0xBFFA001D as a signed ViStatus
INVALID_VALUE = -0x4005FFF0  # 0xBFFA0010
WARNINGS = range(0x3FFA0000, 0x3FFB0000)  # positive statuses that are warnings, not sizes


def encode(text: Optional[str]) -> Optional[bytes]:
    """A text for the C face, which ends it at its first NUL: one holding a
    NUL would name something else, so it is refused."""
    if text is None:
        return None
    if not isinstance(text, str):
        raise TypeError(f"expected a str, not {text!r}")
    if "\0" in text:
        raise ValueError(f"{text!r} holds a NUL character")
    return text.encode(ENCODING)


def decode(raw: bytes) -> str:
    return raw.decode(ENCODING, errors="replace")


def error_message(lib: ctypes.CDLL, status: int) -> str:
    buffer = ctypes.create_string_buffer(MESSAGE_BUFFER_SIZE)
    lib.Korvane_error_message(0, status, buffer)
    return decode(buffer.value)


def stored_error(lib: ctypes.CDLL, vi: int, status: int) -> Error:
    """The error the driver stored for the session (or the thread, for VI_NULL)."""
    code = _library.ViStatus(status)
    needed = lib.Korvane_GetError(vi, ctypes.byref(code), 0, None)
    text = ""
    if needed > 0:
        buffer = ctypes.create_string_buffer(needed)
        lib.Korvane_GetError(vi, ctypes.byref(code), needed, buffer)
        text = decode(buffer.value)
    return Error(status, text or error_message(lib, status))


def warn(lib: ctypes.CDLL, vi: int, status: int) -> None:
    warnings.warn(str(stored_error(lib, vi, status)), RuntimeWarning, stacklevel=4)


class Connection:
    """The handle of one C session. A call and the reading of the error it
    stored run under one lock, so that threads sharing the session each see
    their own call's error."""

    def __init__(self, lib: ctypes.CDLL, vi: int) -> None:
        self.lib = lib
        self._vi: Optional[int] = vi
        self._lock = threading.RLock()

    @property
    def closed(self) -> bool:
        return self._vi is None

    def call(self, name: str, *args: Any) -> int:
        """Calls Korvane_<name>(vi, *args): raises Error on failure, warns on a
        warning (then returns 0), and returns any other status (a string's
        needed size)."""
        with self._lock:
            vi = self._handle()
            status = getattr(self.lib, "Korvane_" + name)(vi, *args)
            if status < 0:
                raise stored_error(self.lib, vi, status)
            if status in WARNINGS:
                warn(self.lib, vi, status)
                return 0
            return status

    def read_string(self, call: Callable[[int, Optional[ctypes.Array]], int]) -> str:
        """A string under the C face's rule: the call returns the buffer size
        it needs when the buffer is too small."""
        with self._lock:
            needed = call(0, None)
            while needed > 0:
                buffer = ctypes.create_string_buffer(needed)
                grown = call(needed, buffer)
                if grown == 0:
                    return decode(buffer.value)
                needed = grown
            return ""

    def close(self) -> None:
        with self._lock:
            if self._vi is None:
                return
            vi, self._vi = self._vi, None
            status = self.lib.Korvane_close(vi)
            if status < 0:
                raise stored_error(self.lib, 0, status)

    def _handle(self) -> int:
        if self._vi is None:
            raise Error(NOT_INITIALIZED, "The session is closed.")
        return self._vi

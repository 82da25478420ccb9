"""The one exception of the package."""

from __future__ import annotations


class Error(Exception):
    """A failed driver call: the IVI-C status and the driver's message."""

    def __init__(self, status: int, message: str) -> None:
        super().__init__(f"{message} (status 0x{status & 0xFFFFFFFF:08X})")
        self.status: int = status
        self.message: str = message

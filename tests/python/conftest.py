"""Fixtures of the Python package's tests: the driver module of the build
under test (KORVANE_LIBRARY) and simulated sessions on it."""

from typing import Iterator

import pytest

import korvane
from korvane import _library

RESOURCE = "PXI0::0::INSTR"


def pytest_collection_modifyitems(items: list) -> None:
    # The module must load; only a module without the C face skips the tests.
    if not _library.has_c_face(_library.load_module()):
        skip = pytest.mark.skip(reason="the driver module has no IVI-C face yet")
        for item in items:
            item.add_marker(skip)


@pytest.fixture
def session() -> Iterator[korvane.Session]:
    with korvane.Session(RESOURCE, simulate=True) as s:
        yield s


def signed(status: int) -> int:
    """A ViStatus written as the unsigned hex of the C header."""
    return status - (1 << 32) if status >= 1 << 31 else status

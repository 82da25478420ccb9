"""Finding and loading the driver module, and the C signatures used."""

from __future__ import annotations

import ctypes
import os
import sys
from pathlib import Path
from typing import Optional

#: Names a module file, or the folder holding it, that takes precedence over the
#: usual places (for example the build tree: KORVANE_LIBRARY=build/linux/bin).
LIBRARY_VARIABLE = "KORVANE_LIBRARY"

# The runtime's own name (libKorvane.so.0): the unversioned link belongs to the
# development package.
MODULE_NAME = "Korvane.dll" if sys.platform == "win32" else "libKorvane.so.0"

ViSession = ctypes.c_uint32
ViStatus = ctypes.c_int32
ViBoolean = ctypes.c_uint16
ViInt16 = ctypes.c_int16
ViInt32 = ctypes.c_int32
ViReal64 = ctypes.c_double
ViAttr = ctypes.c_uint32
ViString = ctypes.c_char_p

_P = ctypes.POINTER

# name: argument types; every function returns ViStatus.
_SIGNATURES: dict[str, tuple] = {
    "Korvane_InitWithOptions": (ViString, ViBoolean, ViBoolean, ViString, _P(ViSession)),
    "Korvane_close": (ViSession,),
    "Korvane_GetError": (ViSession, _P(ViStatus), ViInt32, ctypes.c_char_p),
    "Korvane_error_message": (ViSession, ViStatus, ctypes.c_char_p),
    "Korvane_reset": (ViSession,),
    "Korvane_ResetWithDefaults": (ViSession,),
    "Korvane_Disable": (ViSession,),
    "Korvane_self_test": (ViSession, _P(ViInt16), ctypes.c_char_p),
    "Korvane_error_query": (ViSession, _P(ViInt32), ctypes.c_char_p),
    "Korvane_revision_query": (ViSession, ctypes.c_char_p, ctypes.c_char_p),
    "Korvane_InvalidateAllAttributes": (ViSession,),
    "Korvane_GetAttributeViInt32": (ViSession, ViString, ViAttr, _P(ViInt32)),
    "Korvane_GetAttributeViReal64": (ViSession, ViString, ViAttr, _P(ViReal64)),
    "Korvane_GetAttributeViBoolean": (ViSession, ViString, ViAttr, _P(ViBoolean)),
    "Korvane_GetAttributeViString": (ViSession, ViString, ViAttr, ViInt32, ctypes.c_char_p),
    "Korvane_SetAttributeViInt32": (ViSession, ViString, ViAttr, ViInt32),
    "Korvane_SetAttributeViReal64": (ViSession, ViString, ViAttr, ViReal64),
    "Korvane_SetAttributeViBoolean": (ViSession, ViString, ViAttr, ViBoolean),
    "Korvane_GetTemperatureSensorName": (ViSession, ViInt32, ViInt32, ctypes.c_char_p),
    "Korvane_GetFanName": (ViSession, ViInt32, ViInt32, ctypes.c_char_p),
    "Korvane_GetVoltageRailName": (ViSession, ViInt32, ViInt32, ctypes.c_char_p),
    "Korvane_TemperatureAlarmClear": (ViSession,),
    "Korvane_FanAlarmClear": (ViSession,),
    "Korvane_RefClkAlarmClear": (ViSession,),
    "Korvane_VoltageAlarmClear": (ViSession, ViString),
    "Korvane_SelfTestErrorQuery": (ViSession, _P(ViInt32), ViInt32, ctypes.c_char_p),
    "Korvane_TriggerBusConnect": (ViSession, ViInt32, ViInt32),
    "Korvane_TriggerBusDisconnect": (ViSession,),
    "Korvane_TriggerBusConnectDefault": (ViSession,),
    "Korvane_TriggerBusConnection": (ViSession, ViInt32, _P(ViInt32)),
}


def _candidates() -> list[str]:
    override = os.environ.get(LIBRARY_VARIABLE)
    if override:
        path = Path(override)
        return [str(path / MODULE_NAME if path.is_dir() else path)]
    beside = Path(__file__).resolve().parent / MODULE_NAME
    # Beside the package first, then the system's usual library search.
    return ([str(beside)] if beside.exists() else []) + [MODULE_NAME]


def has_c_face(library: ctypes.CDLL) -> bool:
    """Whether the module exports the IVI-C functions this package calls."""
    return all(hasattr(library, name) for name in _SIGNATURES)


def _declare(module: ctypes.CDLL) -> None:
    for name, argtypes in _SIGNATURES.items():
        function = getattr(module, name)
        function.argtypes = argtypes
        function.restype = ViStatus


_loaded: Optional[ctypes.CDLL] = None


def load_module() -> ctypes.CDLL:
    """The driver module, without the C signatures (loaded once)."""
    global _loaded
    if _loaded is None:
        errors = []
        for candidate in _candidates():
            try:
                _loaded = ctypes.CDLL(candidate)
                break
            except OSError as error:
                errors.append(f"{candidate}: {error}")
        else:
            raise OSError("cannot load the Korvane driver module ("
                          + "; ".join(errors) + f"); set {LIBRARY_VARIABLE} to its file or folder")
    return _loaded


_declared = False


def library() -> ctypes.CDLL:
    """The driver module with its IVI-C functions declared."""
    global _declared
    module = load_module()
    if not _declared:
        missing = [name for name in _SIGNATURES if not hasattr(module, name)]
        if missing:
            raise OSError(f"{module._name} lacks the IVI-C functions {', '.join(missing)}")
        _declare(module)
        _declared = True
    return module

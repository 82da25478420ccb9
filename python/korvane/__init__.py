"""Korvane: the Q7730A PXI Express chassis through the driver's IVI-C face.

    import korvane

    with korvane.Session("PXI0::0::INSTR", simulate=True) as s:
        print(s.identity.instrument_model, s.temperature_sensors["TS1"].temperature)

The driver module is found through $KORVANE_LIBRARY (its file or folder), then
beside this package, then on the system's library path (libKorvane.so.0 of the
Debian package libkorvane0); the package itself is pure Python and works with
any Python 3.9 or later, in a virtual environment too.
"""

from .errors import Error
from .session import (DriverOperation, Fan, Fans, FansAlarm, FansControl, Identity,
                      RefClockSource, ReferenceClock, ReferenceClockAlarm, Session, System,
                      TemperatureSensor, TemperatureSensors, TemperatureSensorsAlarm, TriggerBus,
                      TriggerBusConfiguration, Utility, VoltageRail, VoltageRailAlarm,
                      VoltageRails)

__version__ = "0.1.0"
__all__ = ["Error", "Session", "RefClockSource", "TriggerBusConfiguration", "DriverOperation",
           "Identity", "Utility", "System", "TemperatureSensors", "TemperatureSensor", "Fans",
           "Fan", "VoltageRails", "VoltageRail", "ReferenceClock", "TriggerBus", "FansAlarm",
           "FansControl", "TemperatureSensorsAlarm", "VoltageRailAlarm", "ReferenceClockAlarm"]

#pragma once
// The identifiers of the driver's own classes, type library and application
// as GUID values, made from their one spelling in identifier_texts.h.

#include "com/guid_text.h"
#include "com/identifier_texts.h"

namespace korvane {

inline constexpr CLSID kClsidKorvane = GuidFromText(kClsidKorvaneText);
inline constexpr CLSID kClsidTemperatureSensor = GuidFromText(kClsidTemperatureSensorText);
inline constexpr CLSID kClsidFan = GuidFromText(kClsidFanText);
inline constexpr CLSID kClsidVoltageRail = GuidFromText(kClsidVoltageRailText);
inline constexpr GUID kLibidKorvane = GuidFromText(kLibidKorvaneText);
inline constexpr GUID kAppidKorvane = GuidFromText(kAppidKorvaneText);

}  // namespace korvane

#pragma once
// The identifiers of the driver's own classes, type library and application,
// each written once as registry text. The interface identifiers live in the
// member catalogue (catalogue.h). Plain text without platform headers, so
// that the type library generator, a program of the build machine, reads the
// same spelling as the driver.

namespace korvane {

inline constexpr char kClsidKorvaneText[] = "{61B62AE9-FDF8-4CCF-AD17-227F7FBDA931}";
inline constexpr char kClsidTemperatureSensorText[] = "{09D53FC8-D7E7-4A01-9416-D0233D98C76C}";
inline constexpr char kClsidFanText[] = "{7223C762-6A3C-4945-9BC8-8F5B4C34C833}";
inline constexpr char kClsidVoltageRailText[] = "{443746C9-E5F8-4D12-9335-A2048B0A32E9}";
inline constexpr char kLibidKorvaneText[] = "{2F08D1A0-344C-42C7-8D30-C64CA746928E}";
inline constexpr char kAppidKorvaneText[] = "{A716E5D4-C75E-4E20-8143-59AE505F5DE0}";
// Our stand-in for the IVI inherent type library, for machines without one.
inline constexpr char kLibidIviDriverTypeLibText[] = "{8409EF68-107F-4CB9-A327-375D5E3B87D6}";

}  // namespace korvane

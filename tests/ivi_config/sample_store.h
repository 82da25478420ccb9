// A configuration store file that uses every part of the format, shared by the parser and the
// COM server tests.
#ifndef KORVANE_TESTS_IVI_CONFIG_SAMPLE_STORE_H
#define KORVANE_TESTS_IVI_CONFIG_SAMPLE_STORE_H

inline constexpr char kSampleStore[] = R"(# Test bench store
; both comment marks work

[Store]
MissingItem = Succeed

[HardwareAsset Bench chassis]
IOResourceDescriptor = PXI0::34-0.0::INSTR

[SoftwareModule Korvane]
Name Fan!!FAN1 = Front fan
Name TemperatureSensor!!TEMP2 = "  Inlet  "
String Vendor Note = installed by hand

[SoftwareModule Korvane / Configurable Initial Settings]
String Model = Q7730A
Integer Poll Count = -42
Real Max Temperature = 61.25
Boolean Alarm = TRUE
APIReference Chassis Api = Korvane_Fundamental_Api

[SoftwareModule Korvane / Configurable Initial Settings / Limits]
Integer Upper = 2147483647

[SoftwareModule Korvane / Configurable Initial Settings / Limits / Deep]
Boolean Leaf = 0

[Session BenchSession]
HardwareAsset = Bench chassis
SoftwareModule = Korvane
cache = false
InterchangeCheck = true
QueryInstrStatus = 1
RangeCheck = False
RecordCoercions = true
Simulate = true
DriverSetup = Model=Q7730A; TraceName=bench.xml
VirtualName InletSensor = TEMP1
VirtualName Fan = FAN
VirtualRange Fan = 1-3
VirtualRange Fan = 7-8 starting 4
String Operator = Sam

[Session BenchSession / Configurable Initial Settings]
String Model = Q7730A-SIM

[Session PlainSession]

[LogicalName Bench]
Session = BenchSession

[LogicalName PlainSession]
Session = BenchSession
)";

#endif  // KORVANE_TESTS_IVI_CONFIG_SAMPLE_STORE_H

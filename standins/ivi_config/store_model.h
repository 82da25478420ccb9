// The contents of an IVI configuration store as read from its file: logical names, driver
// sessions, hardware assets and software modules with their data components. Texts are UTF-8.
// The model is built once by the parser and never changes afterwards, so the COM objects that
// present parts of it share it read-only.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_STORE_MODEL_H
#define KORVANE_PLATFORM_IVI_CONFIG_STORE_MODEL_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace korvane::ivi_config {

enum class DataType { Boolean, Integer, Real, String, Structure, ApiReference };

// The type's text as the store reports it: "Boolean", "Integer", "Real", "String", "Structure",
// "APIReference".
std::string_view DataTypeName(DataType type);
// The type named by text (letter case ignored), if any.
std::optional<DataType> DataTypeFromName(std::string_view text);

struct DataComponent {
  std::string name;
  DataType type = DataType::String;
  // bool for Boolean, int32_t for Integer, double for Real, text for String and APIReference;
  // Structure keeps its value in components.
  std::variant<std::monostate, bool, std::int32_t, double, std::string> value;
  std::vector<DataComponent> components;
};

struct VirtualRange {
  std::int32_t min = 0;
  std::int32_t max = 0;
  std::int32_t startingPhysicalIndex = 0;
};

struct VirtualName {
  std::string name;
  std::string mapTo;
  std::vector<VirtualRange> ranges;
};

struct NameValue {
  std::string name;
  std::string value;
};

struct HardwareAsset {
  std::string name;
  std::string ioResourceDescriptor;
};

struct SoftwareModule {
  std::string name;
  std::vector<DataComponent> dataComponents;
  std::vector<NameValue> nameTable;
};

// Settings a session leaves out keep these values.
struct DriverSession {
  std::string name;
  std::string hardwareAsset;   // name of a HardwareAsset, empty for none
  std::string softwareModule;  // name of a SoftwareModule, empty for none
  bool cache = true;
  bool interchangeCheck = false;
  bool queryInstrStatus = false;
  bool rangeCheck = true;
  bool recordCoercions = false;
  bool simulate = false;
  std::string driverSetup;
  std::vector<VirtualName> virtualNames;
  std::vector<DataComponent> dataComponents;
};

struct LogicalName {
  std::string name;
  std::string session;
};

// What a lookup by name answers when it finds nothing.
enum class MissingItem { Fail, Succeed };

struct StoreModel {
  MissingItem missingItem = MissingItem::Fail;
  std::vector<LogicalName> logicalNames;
  std::vector<DriverSession> sessions;
  std::vector<HardwareAsset> hardwareAssets;
  std::vector<SoftwareModule> softwareModules;
};

// The element of a list (a vector of any of the types above, const or not) whose name is exactly
// name, or null.
template <typename List>
auto FindByName(List& items, std::string_view name) -> decltype(items.data()) {
  for (auto& item : items) {
    if (item.name == name) return &item;
  }
  return nullptr;
}

// The session a name stands for: the session of the logical name, else the session of that name.
const DriverSession* ResolveSession(const StoreModel& store, std::string_view name);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_STORE_MODEL_H

#include "standins/ivi_config/store_model.h"

#include <array>
#include <utility>

#include "standins/ivi_config/text.h"

namespace korvane::ivi_config {

namespace {

constexpr std::array<std::pair<DataType, std::string_view>, 6> kTypeNames = {{
    {DataType::Boolean, "Boolean"},
    {DataType::Integer, "Integer"},
    {DataType::Real, "Real"},
    {DataType::String, "String"},
    {DataType::Structure, "Structure"},
    {DataType::ApiReference, "APIReference"},
}};

}  // namespace

std::string_view DataTypeName(DataType type) {
  for (const auto& [known, name] : kTypeNames) {
    if (known == type) return name;
  }
  return {};
}

std::optional<DataType> DataTypeFromName(std::string_view text) {
  for (const auto& [type, name] : kTypeNames) {
    if (EqualsIgnoringCase(text, name)) return type;
  }
  return std::nullopt;
}

const DriverSession* ResolveSession(const StoreModel& store, std::string_view name) {
  if (const auto* logical = FindByName(store.logicalNames, name)) {
    return FindByName(store.sessions, logical->session);
  }
  return FindByName(store.sessions, name);
}

}  // namespace korvane::ivi_config

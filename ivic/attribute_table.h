// The attribute table of the C face: each attribute id with its type and its read and write
// accessors, built once per process, and the dispatch of the ten attribute functions onto it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <unordered_map>
#include <variant>

#include "ivic/Korvane.h"

namespace korvane::ivic {

template <class T>
struct ScalarAccessors {
  ViStatus (*read)(ViSession vi, ViConstString repCap, T* value);  // null: not readable
  ViStatus (*write)(ViSession vi, ViConstString repCap, T value);  // null: not writable
};

struct StringAccessors {
  ViStatus (*read)(ViSession vi, ViConstString repCap, ViInt32 bufferSize, ViChar* value);
  ViStatus (*write)(ViSession vi, ViConstString repCap, ViConstString value);  // always null
};

// One entry; the alternative held is the attribute's type. No attribute has the type ViSession.
using AttributeEntry = std::variant<ScalarAccessors<ViInt32>, ScalarAccessors<ViReal64>,
                                    ScalarAccessors<ViBoolean>, StringAccessors>;

// The type tags of the attribute types.
enum class AttributeType : int32_t {
  kInt32 = 1,
  kReal64 = 3,
  kBoolean = 4,
  kSession = 5,
  kString = 6
};
AttributeType TypeOf(const AttributeEntry& entry);

class CIviCAttributeManager {
 public:
  virtual ~CIviCAttributeManager() = default;
  // Stores the C message table's text of `status` (empty for the attribute statuses) and
  // returns the status.
  virtual ViStatus ReportAttributeError(ViSession vi, ViStatus status) const = 0;
};

class CIviCAttributeMap : public CIviCAttributeManager {
 public:
  CIviCAttributeMap();
  ViStatus ReportAttributeError(ViSession vi, ViStatus status) const override;
  // The entry of an id, or null.
  const AttributeEntry* Find(ViAttr id) const;
  size_t Size() const { return entries_.size(); }

 private:
  std::unordered_map<ViAttr, AttributeEntry> entries_;
};

// The process-wide table, built on first use.
const CIviCAttributeMap& AttributeTable();

// The accessor set of the function's type, or null with the dispatch error reported: an unknown
// id, then a type mismatch, then a missing accessor for the direction.
template <class Accessors>
const Accessors* FindAccessors(ViSession vi, ViAttr id, bool forWrite, ViStatus& status) {
  const CIviCAttributeMap& table = AttributeTable();
  const AttributeEntry* entry = table.Find(id);
  if (entry == nullptr) {
    status = table.ReportAttributeError(vi, IVI_ERROR_INVALID_ATTRIBUTE);
    return nullptr;
  }
  const Accessors* accessors = nullptr;
  if constexpr (std::is_constructible_v<AttributeEntry, Accessors>) {
    accessors = std::get_if<Accessors>(entry);
  }
  if (accessors == nullptr) {
    status = table.ReportAttributeError(vi, IVI_ERROR_TYPES_DO_NOT_MATCH);
    return nullptr;
  }
  if (forWrite ? accessors->write == nullptr : accessors->read == nullptr) {
    status = table.ReportAttributeError(
        vi, forWrite ? IVI_ERROR_IVI_ATTR_NOT_WRITABLE : IVI_ERROR_IVI_ATTR_NOT_READABLE);
    return nullptr;
  }
  return accessors;
}

template <class T>
ViStatus GetAttribute(ViSession vi, ViConstString repCap, ViAttr id, T* value) {
  ViStatus status = VI_SUCCESS;
  const auto* accessors = FindAccessors<ScalarAccessors<T>>(vi, id, false, status);
  return accessors == nullptr ? status : accessors->read(vi, repCap, value);
}

template <class T>
ViStatus SetAttribute(ViSession vi, ViConstString repCap, ViAttr id, T value) {
  ViStatus status = VI_SUCCESS;
  const auto* accessors = FindAccessors<ScalarAccessors<T>>(vi, id, true, status);
  return accessors == nullptr ? status : accessors->write(vi, repCap, value);
}

}  // namespace korvane::ivic

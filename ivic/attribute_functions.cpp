// The ten exported attribute functions: each dispatches through the attribute table.
#include "ivic/Korvane.h"
#include "ivic/attribute_table.h"
#include "ivic/status_codes.h"

using namespace korvane::ivic;

extern "C" {

ViStatus Korvane_GetAttributeViInt32(ViSession Vi, ViConstString RepCapIdentifier,
                                     ViAttr AttributeID, ViInt32* AttributeValue) {
  return Guarded([&] { return GetAttribute(Vi, RepCapIdentifier, AttributeID, AttributeValue); });
}

ViStatus Korvane_GetAttributeViReal64(ViSession Vi, ViConstString RepCapIdentifier,
                                      ViAttr AttributeID, ViReal64* AttributeValue) {
  return Guarded([&] { return GetAttribute(Vi, RepCapIdentifier, AttributeID, AttributeValue); });
}

ViStatus Korvane_GetAttributeViBoolean(ViSession Vi, ViConstString RepCapIdentifier,
                                       ViAttr AttributeID, ViBoolean* AttributeValue) {
  return Guarded([&] { return GetAttribute(Vi, RepCapIdentifier, AttributeID, AttributeValue); });
}

ViStatus Korvane_GetAttributeViSession(ViSession Vi, ViConstString RepCapIdentifier,
                                       ViAttr AttributeID, ViSession* AttributeValue) {
  return Guarded([&] { return GetAttribute(Vi, RepCapIdentifier, AttributeID, AttributeValue); });
}

ViStatus Korvane_GetAttributeViString(ViSession Vi, ViConstString RepCapIdentifier,
                                      ViAttr AttributeID, ViInt32 BufferSize,
                                      ViChar AttributeValue[]) {
  return Guarded([&] {
    ViStatus status = VI_SUCCESS;
    const auto* accessors = FindAccessors<StringAccessors>(Vi, AttributeID, false, status);
    return accessors == nullptr ? status
                                : accessors->read(Vi, RepCapIdentifier, BufferSize, AttributeValue);
  });
}

ViStatus Korvane_SetAttributeViInt32(ViSession Vi, ViConstString RepCapIdentifier,
                                     ViAttr AttributeID, ViInt32 AttributeValue) {
  return Guarded([&] { return SetAttribute(Vi, RepCapIdentifier, AttributeID, AttributeValue); });
}

ViStatus Korvane_SetAttributeViReal64(ViSession Vi, ViConstString RepCapIdentifier,
                                      ViAttr AttributeID, ViReal64 AttributeValue) {
  return Guarded([&] { return SetAttribute(Vi, RepCapIdentifier, AttributeID, AttributeValue); });
}

ViStatus Korvane_SetAttributeViBoolean(ViSession Vi, ViConstString RepCapIdentifier,
                                       ViAttr AttributeID, ViBoolean AttributeValue) {
  return Guarded([&] { return SetAttribute(Vi, RepCapIdentifier, AttributeID, AttributeValue); });
}

ViStatus Korvane_SetAttributeViSession(ViSession Vi, ViConstString RepCapIdentifier,
                                       ViAttr AttributeID, ViSession AttributeValue) {
  return Guarded([&] { return SetAttribute(Vi, RepCapIdentifier, AttributeID, AttributeValue); });
}

ViStatus Korvane_SetAttributeViString(ViSession Vi, ViConstString RepCapIdentifier,
                                      ViAttr AttributeID, ViConstString AttributeValue) {
  return Guarded([&] {
    ViStatus status = VI_SUCCESS;
    const auto* accessors = FindAccessors<StringAccessors>(Vi, AttributeID, true, status);
    return accessors == nullptr ? status : accessors->write(Vi, RepCapIdentifier, AttributeValue);
  });
}

}  // extern "C"

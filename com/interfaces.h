#pragma once
// The COM interfaces of the driver, declared from the member catalogue, with
// their identifiers and the enumerations of the type library.

#include <cstdint>

#include "com/catalogue.h"
#include "com/guid_text.h"
#include "com/type_library.h"
#include "platform/win32.h"

// The enumerations of the type library, from their one list (type_library.h).
#define KORVANE_ENUM_VALUE(Name, Value) Name = Value,
enum KorvaneRefClockSourceEnum : int32_t {
  KORVANE_ENUM_KorvaneRefClockSourceEnum(KORVANE_ENUM_VALUE)
};
enum KorvaneTrigBusEnum : int32_t { KORVANE_ENUM_KorvaneTrigBusEnum(KORVANE_ENUM_VALUE) };
// The driver-specific error codes as the type library publishes them (scoped
// here, so that the names do not meet the status constants of the same names).
enum class KorvaneErrorCodesEnum : uint32_t {
  KORVANE_ENUM_KorvaneErrorCodesEnum(KORVANE_ENUM_VALUE)
};
#undef KORVANE_ENUM_VALUE

// A framework interface of the driver object through which personalities
// would be hosted; this driver hosts none, so it has no members of its own.
struct IPersonalityHost : public IUnknown {};
inline constexpr IID IID_IPersonalityHost =
    korvane::GuidFromText("{87AC222C-2B91-4B79-9482-D86FDAEFFB23}");

#define KORVANE_FORWARD_INTERFACE(Interface, Base, Iid, Kind) struct Interface;
KORVANE_INTERFACES(KORVANE_FORWARD_INTERFACE)
#undef KORVANE_FORWARD_INTERFACE

#define KORVANE_DECLARE_MEMBER(Interface, Member, Flags, Params, Args) \
  virtual HRESULT STDMETHODCALLTYPE Member Params = 0;
#define KORVANE_DECLARE_INTERFACE(Interface, Base, Iid, Kind) \
  struct Interface : public Base {                            \
    KORVANE_MEMBERS_##Interface(KORVANE_DECLARE_MEMBER)       \
  };
KORVANE_INTERFACES(KORVANE_DECLARE_INTERFACE)
#undef KORVANE_DECLARE_INTERFACE
#undef KORVANE_DECLARE_MEMBER

#define KORVANE_DEFINE_IID(Interface, Base, Iid, Kind) \
  inline constexpr IID IID_##Interface = korvane::GuidFromText(Iid);
KORVANE_INTERFACES(KORVANE_DEFINE_IID)
#undef KORVANE_DEFINE_IID

// Generic code names an interface's id as IidOf<IFoo>() (platform/iid_of.h).
template <>
inline const IID& IidOf<IPersonalityHost>() {
  return IID_IPersonalityHost;
}
#define KORVANE_BIND_IID(Interface, Base, Iid, Kind) \
  template <>                                        \
  inline const IID& IidOf<::Interface>() {           \
    return IID_##Interface;                          \
  }
KORVANE_INTERFACES(KORVANE_BIND_IID)
#undef KORVANE_BIND_IID

namespace korvane {

// The number of members in the catalogue: every one has an entry point.
#define KORVANE_COUNT_MEMBER(Interface, Member, Flags, Params, Args) +1
#define KORVANE_COUNT_INTERFACE(Interface, Base, Iid, Kind) \
  KORVANE_MEMBERS_##Interface(KORVANE_COUNT_MEMBER)
inline constexpr int kCatalogueMemberCount = 0 KORVANE_INTERFACES(KORVANE_COUNT_INTERFACE);
#undef KORVANE_COUNT_INTERFACE
#undef KORVANE_COUNT_MEMBER
static_assert(kCatalogueMemberCount == 107);

}  // namespace korvane

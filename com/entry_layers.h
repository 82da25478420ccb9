#pragma once
// One entry-point layer per interface, generated from the member catalogue.
// IFooEntry<Derived> derives from IFoo and implements each member of IFoo by
// running the entry-point recipe around Derived::IFoo_Member, the member's
// implementation. A class that offers several interfaces derives from their
// layers, so members of the same name on different interfaces (Clear,
// get_Count, get_Alarm ...) stay apart.
//
// A derived interface's layer stacks on its base's layer:
// IKorvaneEntry<D> : IIviDriverEntry<D, IKorvane> : IKorvane, so that the
// one IKorvane vtable carries the IIviDriver members too.

#include "com/interfaces.h"
#include "diag/entry_point.h"
#include "diag/member_record.h"

namespace korvane {

// The layer class of an interface, or for IUnknown the interface itself.
template <class Interface>
struct EntryLayerOf;

template <>
struct EntryLayerOf<IUnknown> {
  template <class Derived, class Face>
  using Layer = Face;
};

#define KORVANE_PREPEND_COMMA(...) __VA_OPT__(, ) __VA_ARGS__

#define KORVANE_ENTRY_MEMBER(Interface, Member, Flags, Params, Args)                 \
  HRESULT STDMETHODCALLTYPE Member Params override {                                 \
    static const MemberRecord kRecord(IID_##Interface, #Interface, #Member, #Args,   \
                                      MemberFlags::Flags);                           \
    return RunEntryPoint(kRecord, static_cast<Derived&>(*this),                      \
                         &Derived::Interface##_##Member KORVANE_PREPEND_COMMA Args); \
  }

#define KORVANE_ENTRY_LAYER(Interface, Base, Iid, Kind)                                 \
  template <class Derived, class Face = ::Interface>                                    \
  class Interface##Entry : public EntryLayerOf<::Base>::template Layer<Derived, Face> { \
   public:                                                                              \
    KORVANE_MEMBERS_##Interface(KORVANE_ENTRY_MEMBER)                                   \
  };                                                                                    \
  template <>                                                                           \
  struct EntryLayerOf<::Interface> {                                                    \
    template <class Derived, class Face>                                                \
    using Layer = Interface##Entry<Derived, Face>;                                      \
  };

KORVANE_INTERFACES(KORVANE_ENTRY_LAYER)

#undef KORVANE_ENTRY_LAYER
#undef KORVANE_ENTRY_MEMBER
#undef KORVANE_PREPEND_COMMA

}  // namespace korvane

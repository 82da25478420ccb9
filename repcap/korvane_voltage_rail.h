#pragma once
// KorvaneVoltageRail: one power-supply rail of the chassis, an item of the
// VoltageRails collection, with its out-of-range alarm. The rail is found
// from the item's physical name on every call (rail_table.h).

#include "com/entry_layers.h"
#include "com/identifiers.h"
#include "repcap/rep_cap_template.h"

namespace korvane {

struct RailSpec;
class ItemMember;

#define KORVANE_DECLARE_IMPLEMENTATION(Interface, Member, Flags, Params, Args) \
  HRESULT Interface##_##Member Params;

class KorvaneVoltageRail
    : public _RepCap<KorvaneVoltageRail, IKorvaneVoltageRail, IKorvaneVoltageRailAlarm>,
      public IKorvaneVoltageRailEntry<KorvaneVoltageRail>,
      public IKorvaneVoltageRailAlarmEntry<KorvaneVoltageRail> {
 public:
  static constexpr const CLSID& kClassId = kClsidVoltageRail;

  KORVANE_MEMBERS_IKorvaneVoltageRail(KORVANE_DECLARE_IMPLEMENTATION)
      KORVANE_MEMBERS_IKorvaneVoltageRailAlarm(KORVANE_DECLARE_IMPLEMENTATION)

          private :
      // The alarm thresholds: low for MinVoltage, high for MaxVoltage.
      HRESULT GetThreshold(const ItemMember& member, bool low, double* val);
  HRESULT PutThreshold(const ItemMember& member, bool low, double volts);
  const RailSpec* Rail() const;
};

#undef KORVANE_DECLARE_IMPLEMENTATION

}  // namespace korvane

#pragma once
// KorvaneFan: one fan of the chassis, an item of the Fans collection.

#include "com/entry_layers.h"
#include "com/identifiers.h"
#include "repcap/rep_cap_template.h"

namespace korvane {

class KorvaneFan : public _RepCap<KorvaneFan, IKorvaneFan>, public IKorvaneFanEntry<KorvaneFan> {
 public:
  static constexpr const CLSID& kClassId = kClsidFan;

  // The fan's speed in rpm, as the chassis reads it at the fan's chassis
  // index (its index from the chassis's first fan).
  HRESULT IKorvaneFan_get_RPM(LONG* val);
};

}  // namespace korvane

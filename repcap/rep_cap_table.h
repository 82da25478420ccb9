#pragma once
// The repeated capability table: one entry per kind of item that a node
// holds, in the order the driver builds, walks and releases them.

#include <span>

#include "driver/node_ref.h"
#include "platform/win32.h"

namespace korvane {

class CRepCap;

struct RepCapEntry {
  const OLECHAR* repCapName;  // "Fan": the qualifier of "Fan!!FAN1"
  const OLECHAR* className;   // "KorvaneFan": the key of the kind's collection
  // Creates one new item, not yet attached, with the reference `item` holds;
  // E_OUTOFMEMORY when it cannot.
  HRESULT (*create)(NodeRef<CRepCap>& item);
  std::span<const OLECHAR* const> physicalNames;  // in index order
};

}  // namespace korvane

#pragma once
// The six IVI operation flags of a session. The driver keeps two sets: the
// current values and the initial values copied at the end of configuration.

namespace korvane {

struct OperationFlags {
  // The defaults that apply before the configuration store and the option
  // string have had their say.
  bool cache = true;
  bool interchangeCheck = false;
  bool queryInstrumentStatus = false;
  bool rangeCheck = true;
  bool recordCoercions = false;
  bool simulate = false;

  friend bool operator==(const OperationFlags&, const OperationFlags&) = default;
};

}  // namespace korvane

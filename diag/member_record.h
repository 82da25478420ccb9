#pragma once
// The static record of one interface member: its call context, the names of
// its parameters and the flags that shape its entry point.

#include <string>
#include <vector>

#include "diag/call_context.h"

namespace korvane {

struct MemberFlags {
  enum : unsigned {
    None = 0,
    NoInit = 1u << 0,           // callable before Initialize and after Close
    InOut = 1u << 1,            // pointer parameters keep the caller's values
    SimSerialNumber = 1u << 2,  // while simulating: "0123456789"
    SimZero = 1u << 3,          // while simulating: zero / false / first enumerator
    SimCacheGet = 1u << 4,      // while simulating: the attribute cache, true when unset
    SimCachePut = 1u << 5,      // while simulating: stored in the attribute cache
  };
  static constexpr unsigned kSimulationRules =
      SimSerialNumber | SimZero | SimCacheGet | SimCachePut;
};

class MemberRecord {
 public:
  // argumentNames is the parenthesised name list of the catalogue, "(Index, val)".
  MemberRecord(const IID& interfaceId, const char* interfaceName, const char* memberName,
               const char* argumentNames, unsigned flags);

  const CallContext& context() const { return context_; }
  unsigned flags() const { return flags_; }
  bool has(unsigned flag) const { return (flags_ & flag) != 0; }
  const std::string& parameterName(size_t index) const { return parameterNames_[index]; }
  const OleString& wideParameterName(size_t index) const { return wideParameterNames_[index]; }
  size_t parameterCount() const { return parameterNames_.size(); }

 private:
  CallContext context_;
  unsigned flags_;
  std::vector<std::string> parameterNames_;
  std::vector<OleString> wideParameterNames_;
};

}  // namespace korvane

#pragma once
// The record of the interface member that is running, and the face through
// which error reports read it.

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

// One static record per interface member, built on the member's first call
// and kept for the life of the module.
struct CallContext {
  IID interfaceId;
  const char* interfaceName;  // "IKorvaneSystem"
  const char* memberName;     // traced form, "get_SerialNumber"
  OleString wideMemberName;   // the member name as an error insert
  OleString qualifiedName;    // "IKorvaneSystem.SerialNumber": attribute-cache key
};

class ICallContextProvider {
 public:
  // The innermost running member. Throws HResultError(E_FAIL) when no call is
  // in progress: every report is made inside an entry point.
  virtual const CallContext& GetCallContext() const = 0;

 protected:
  ~ICallContextProvider() = default;
};

}  // namespace korvane

#pragma once
// Writing a text into an in-out BSTR parameter (SelfTest, ErrorQuery,
// SelfTestErrorQuery): the caller's text is its own until the callee replaces
// it, and then the callee frees it.

#include "platform/ole_string.h"
#include "platform/scoped_bstr.h"
#include "platform/win32.h"

namespace korvane {

// The copy is made first, so that when it throws (out of memory) the
// caller's text is left as it was.
inline void ReplaceBstr(BSTR* slot, const OleString& text) {
  BSTR copy = AllocBstr(text);
  SysFreeString(*slot);
  *slot = copy;
}

}  // namespace korvane

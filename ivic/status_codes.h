// The IVI-C status space: the translation of the driver's COM results into IVI-C statuses, the
// C message table, and the storing of an error description with its status on a session.
#pragma once

#include <new>
#include <string_view>

#include "ivic/Korvane.h"
#include "platform/win32.h"

namespace korvane::ivic {

// The IVI-C status of a COM result: 0 for 0, the table's entry, or KORVANE_ERROR_GENERIC.
ViStatus StatusOfResult(HRESULT hr);

// The C message table's text of a status, or an empty text when it has none.
std::string_view MessageOfStatus(ViStatus status);

// Translates a COM result for a session (VI_NULL: for the calling thread): a nonzero result
// stores the thread's pending COM error description, if there is one, with its IVI-C status.
ViStatus TranslateResult(ViSession vi, HRESULT hr);

// Stores a message of this layer with its status (through the session services) and returns
// the status.
ViStatus StoreMessage(ViSession vi, ViStatus status, const char* message);

// Calls `body` and turns an exception escaping it into a status: running out of memory into
// IVI_ERROR_OUT_OF_MEMORY, anything else into KORVANE_ERROR_GENERIC. Nothing throws across
// the C face.
template <class Body>
ViStatus Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return IVI_ERROR_OUT_OF_MEMORY;
  } catch (...) {
    return KORVANE_ERROR_GENERIC;
  }
}

}  // namespace korvane::ivic

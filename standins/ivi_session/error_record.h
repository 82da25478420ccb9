// A stored IVI-C error (status code and description) and the IVI-C string rule by which it is read
// into a caller's buffer.
#ifndef KORVANE_PLATFORM_IVI_ERROR_RECORD_H
#define KORVANE_PLATFORM_IVI_ERROR_RECORD_H

#include <string>
#include <string_view>

#include "standins/ivi_session/visatype.h"

namespace korvane::ivi {

// Copies text into buffer under the IVI-C string rule and returns VI_SUCCESS or the size the whole
// text needs (length + 1); see IviSession_GetError.
ViStatus CopyIviString(std::string_view text, ViInt32 bufferSize, ViChar* buffer);

struct ErrorRecord {
  ViStatus code = VI_SUCCESS;
  std::string description;

  // Throws std::bad_alloc when the description cannot be copied; the record is unchanged then.
  void Set(ViStatus newCode, const char* elaboration);
  void Clear();
  // Writes the code, copies the description under the string rule and clears the record when
  // anything was written into the description buffer.
  ViStatus ReadAndClear(ViInt32 bufferSize, ViStatus* outCode, ViChar* outDescription);
};

}  // namespace korvane::ivi

#endif  // KORVANE_PLATFORM_IVI_ERROR_RECORD_H

// Texts crossing the C face: C strings in, wide strings to COM, wide strings back out in the
// calling thread's ANSI code page, and the rule by which a string result fills a caller's buffer.
#pragma once

#include <string>

#include "ivic/Korvane.h"
#include "platform/ole_string.h"
#include "platform/scoped_bstr.h"

namespace korvane::ivic {

// A wide text in the calling thread's ANSI code page. Throws std::bad_alloc.
std::string ToThreadAnsi(OleStringView wide);

// A C string (ANSI code page) as a BSTR; a null C string gives a null BSTR. Throws std::bad_alloc.
ScopedBstr ToBstr(ViConstString text);
ScopedBstr ToBstr(std::string_view text);

// The string return rule. `value` null is the null string; otherwise its `length` bytes (no
// terminator counted) are the text. Returns 0 when the buffer took the whole text, else the
// buffer size the whole text needs.
ViStatus ReturnString(const char* value, size_t length, ViInt32 bufferSize, ViChar* buffer);

// The rule for a wide result (a null BSTR is the null string), converted first.
ViStatus ReturnString(BSTR value, ViInt32 bufferSize, ViChar* buffer);

// The rule for the fixed ViChar[256] parameters.
inline constexpr ViInt32 kFixedBufferSize = 256;

}  // namespace korvane::ivic

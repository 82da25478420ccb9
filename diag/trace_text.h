#pragma once
// The text forms of the trace file: numbers as the C formats "%d", "%llu",
// "0x%08X", "%.15g" and "%e" write them in the "C" locale (whatever locale
// the client process has set), and wide texts in the ANSI code page.

#include <cstdint>
#include <string>

#include "platform/win32.h"

namespace korvane {

void AppendDecimal(std::string& out, int64_t value);    // "%d", "%lld"
void AppendUnsigned(std::string& out, uint64_t value);  // "%llu"
void AppendHresult(std::string& out, uint32_t value);   // "0x%08X"
void AppendGeneral15(std::string& out, double value);   // "%.15g"
void AppendScientific(std::string& out, double value);  // "%e"

// A wide text in the system's ANSI code page, the trace file's encoding.
// What XML 1.0 does not allow in a document and no escape can carry (lone
// surrogates, U+FFFE, U+FFFF) becomes U+FFFD, the replacement character,
// before the conversion; control characters are left to the XML escaping.
void AppendAnsiText(std::string& out, const OLECHAR* text, size_t length);

}  // namespace korvane

#pragma once
// A note in the trace file outside the call records: an XML comment, for what
// a reader of the trace must know about the session (a configuration store
// that was not used, say).

#include <string>

#include "platform/ole_string.h"

namespace korvane {

// Appends "<!-- text -->" and a line end. The text is written in the file's
// encoding with line breaks and other control characters as blanks, and with
// "--", which a comment cannot hold, as "- -".
void AppendTraceNote(std::string& out, OleStringView text);

}  // namespace korvane

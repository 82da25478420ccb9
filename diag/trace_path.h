#pragma once
// Where the trace file and its stylesheet live.

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

// The trace file for a TraceName: ".xml" appended unless the name ends with it
// (ignoring the case of A to Z), made absolute against the current directory.
// Fails with the system error, or ERROR_FILENAME_EXCED_RANGE as an HRESULT
// when the path would not fit in MAX_PATH characters.
HRESULT TraceFilePathForName(OleStringView name, OleString& path);

// The trace file when no TraceName is set: <prefix>_YYYY-MM-DD_HH-MM-SS.xml
// in the current directory, stamped with `start`; a `sequence` above 1 adds
// "_<sequence>" before ".xml" (for the later sessions of one second).
HRESULT DefaultTraceFilePath(OleStringView prefix, const SYSTEMTIME& start, int sequence,
                             OleString& path);

// The stylesheet named by TraceTransform ("trace.xslt" when empty). A bare
// file name gets ".xslt" unless it has it and is looked for in the IVI
// components folder of our company (or of the IVI shared components when our
// folder is missing). Returns the full path when that file exists, and an
// empty path otherwise (also when the IVI root directory is not registered).
OleString FindTraceStylesheet(OleStringView name);

// Whether `text` ends with `suffix`, comparing A to Z without regard to case.
bool EndsWithIgnoringAsciiCase(OleStringView text, OleStringView suffix);

}  // namespace korvane

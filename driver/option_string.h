#pragma once
// The option string of Initialize: the six operation flags, and the DriverSetup
// tail whose items select the trace settings and the instrument model.
//
//   "Simulate=true, Cache=false, DriverSetup= Model=Q7730A, TraceName=run1"
//
// Items are name=value pairs separated by commas. The DriverSetup tail must
// come last: everything after its "=" belongs to it, commas included.

#include "diag/error_reporter.h"
#include "diag/trace_log.h"
#include "driver/name_value_table.h"
#include "driver/operation_flags.h"
#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

// The session state that option processing writes, borrowed from the driver
// object for the duration of one call. Errors are reported through `reporter`,
// so the calls must run inside an interface call (the reporter reads the call
// context).
//
//   HRESULT Korvane::ApplyOptionString(const OleString& options) {
//     return ProcessOptionString(
//         OptionTarget{flags_, driverSetup_, optionTable_, driverSetupTable_,
//                      model_, traceLog_, errorReporter_},
//         options);
//   }
struct OptionTarget {
  OperationFlags& flags;             // current operation flags
  OleString& driverSetup;            // the DriverSetup tail as written
  NameValueTable& optionTable;       // lower-case option name -> trimmed value
  NameValueTable& driverSetupTable;  // lower-case item name -> trimmed value
  OleString& model;                  // instrument model text (item Model)
  CTraceLog& trace;                  // trace settings and start request
  CErrorReporter& reporter;          // the driver's CKorvaneErrorReporter
};

// Adds to `table` every name=value pair of `text`: the successive,
// non-overlapping matches of [^,=]+=[^,=]+, name and value trimmed of white
// space. Text that fits no pair is skipped; a name given twice keeps the later
// value; "a=b=c" yields a=b. Never fails.
void ParseOptions(OleStringView text, NameValueTable& table);

// Applies a whole option string: empties the option table, applies the
// DriverSetup tail first (if any), then each option of the part before it.
// Stops at the first failure and returns its status. An empty string changes
// nothing else. Options are applied in the table's key order; they are
// independent of each other.
HRESULT ProcessOptionString(const OptionTarget& target, OleStringView optionString);

// Applies one option (name and value already trimmed). The six flag names are
// recognized ignoring letter case; any other name is accepted and ignored.
// Accepted options are recorded in the option table under the lower-case name.
HRESULT ProcessInitOption(const OptionTarget& target, OleStringView name, OleStringView value);

// Applies a DriverSetup text: it becomes the driver's DriverSetup text, the
// DriverSetup table is refilled from its items, applied in key order; stops at
// the first failing item.
HRESULT ProcessDriverSetup(const OptionTarget& target, OleStringView text);

// Applies one DriverSetup item and records it in the DriverSetup table under
// the lower-case name, also when it is unknown or fails.
HRESULT ProcessDriverSetupItem(const OptionTarget& target, OleStringView name, OleStringView value);

}  // namespace korvane

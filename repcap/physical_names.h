#pragma once
// How a name that a client gives is turned into the physical name of a
// repeated-capability item: white space trimmed, virtual names looked up in
// the session's forward table, a qualified name ("Fan!!FAN3") reduced to its
// physical part, and physical names compared without regard to the case of
// A to Z.

#include "driver/name_value_table.h"
#include "platform/ole_string.h"

namespace korvane {

// The separator of a qualified physical identifier: repeated capability
// name, "!!", physical name.
inline constexpr OLECHAR kQualifierSeparator[] = OLESTR("!!");

// `text` without white space at either end.
OleStringView TrimWhiteSpace(OleStringView text);

// The physical name that `name` stands for: the forward table's value for
// its lower-case form when there is one, else `name` itself; of a qualified
// result only the part after its first "!!". The view lies in the table or in
// `name`, and is valid as long as both are.
OleStringView ResolvePhysicalName(const NameValueTable& forwardTable, OleStringView name);

// Equal when the texts differ at most in the case of the letters A to Z.
bool EqualsIgnoringAsciiCase(OleStringView a, OleStringView b);

}  // namespace korvane
